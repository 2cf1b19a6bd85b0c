#pragma once
// The backup and clean commands' dialogs in the viewer: TfrmBackup with its folder button,
// TfrmClean, the confirmations, the verdicts and TfrmProcess, each shown modally and centred on
// the main window. The commands poll the job themselves and push what the progress dialog shows.
#include "datamgmt/data_management_ui.h"

#include <functional>

class QWidget;

namespace korvane {

class DataManagementDialogs : public DataManagementUi {
public:
    // The dialogs of Dialogs(); they must exist (CreateDialogs) before a command runs.
    explicit DataManagementDialogs(QWidget* mainWindow) : mainWindow_(mainWindow) {}

    // The folder chooser behind btnFolder: caption and start folder in, the chosen folder out
    // (empty when cancelled). QFileDialog::getExistingDirectory unless replaced.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& start)>;
    void SetFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }

    QString Message(const QString& name) override;
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
    QString ChooseFolder(QWidget* parent, const QString& caption, const QString& start) const;

    QWidget* mainWindow_;
    FolderChooser chooser_;
};

} // namespace korvane
