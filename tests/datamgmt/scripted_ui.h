#pragma once
// A scripted stand-in for the dialogs and the rest of the viewer: each dialog call is logged
// and answered from the test's script; the progress dialog runs a real event loop until the
// flow's poll ends it or the script presses the stop button.
#include "core/busy_state.h"
#include "datamgmt/data_management_host.h"
#include "datamgmt/data_management_ui.h"
#include "datamgmt/destination.h"

#include <QObject>
#include <deque>
#include <functional>
#include <vector>

namespace korvane::test {

class ScriptedUi : public DataManagementUi {
public:
    // Answers of the backup dialog, in order; each may choose a destination. Cancel when empty.
    std::deque<std::function<int(BackupDestination&)>> backupAnswers;
    std::deque<int> cleanAnswers;       // Cancel when empty
    std::deque<bool> confirmAnswers;    // AskConfirmation and AskConfirmation2; OK when empty
    // Checked as the progress dialog shows and every 10 ms while it is up: true presses btnStop.
    std::function<bool()> stopWhen;
    // Called once when the progress dialog opens.
    std::function<void()> onProcessShown;

    QStringList log;                    // "Backup", "Clean", "Check:<text>", "Info:<text>", ...
    std::vector<ProcessView> views;     // what the progress dialog was shown, in order
    std::vector<bool> backupOkEnabled;  // btnOk state at each showing of the backup dialog

    // Pick `folder` with the folder button, then press OK.
    static std::function<int(BackupDestination&)> Choose(const QString& folder);
    static std::function<int(BackupDestination&)> Ok();

    QString Message(const QString& name) override { return QLatin1Char('<') + name + QLatin1Char('>'); }
    int ShowBackupDialog(BackupDestination& destination, bool okEnabled) override;
    int ShowCleanDialog(const QString& folderName, bool okEnabled) override;
    bool AskConfirmation(const QString& text) override;
    bool AskConfirmation2(const QString& first, const QString& second) override;
    void ShowInformation(const QString& text) override;
    void ShowInformation2(const QString& first, const QString& second) override;
    void ShowMessageBox(const QString& title, const QString& text) override;
    int ShowProcess(const ProcessView& view) override;
    void UpdateProcess(const ProcessView& view) override;
    void EndProcess() override;

private:
    int processResult_ = 0;
    bool processOpen_ = false;
};

// The viewer side: the catalogue comes from a real scan of `folder`; the hooks are logged.
class ScriptedHost : public DataManagementHost {
public:
    ScriptedHost();

    QString folder;
    BusyState busy;    // the end of a job that ran through is logged as "ProcessFinish"
    bool menusEnabled = true;
    QStringList log;

    CardRecordings Catalogue() override { return ScanCard(folder); }
    void SetSystemTimerEnabled(bool enabled) override { log << QStringLiteral("tmSystem:%1").arg(enabled); }
    void StopPlayback() override { log << QStringLiteral("StopPlayback"); }
    BusyState& Busy() override { return busy; }
    void ShowPositionMap() override { log << QStringLiteral("ShowPositionMap"); }
    void KillStaleEngines() override { log << QStringLiteral("KillStaleEngines"); }
    void ResetViewerAll() override { log << QStringLiteral("ResetViewerAll"); }
    void ReloadFolder(const QString& f) override { log << QStringLiteral("Reload:") + f; }
    void SetDataMenusEnabled(bool enabled) override { menusEnabled = enabled; log << QStringLiteral("Menus:%1").arg(enabled); }
};

} // namespace korvane::test
