#include "scripted_ui.h"

#include <QEventLoop>
#include <QTimer>

namespace korvane::test {

std::function<int(BackupDestination&)> ScriptedUi::Choose(const QString& folder)
{
    return [folder](BackupDestination& d) {
        ChooseDestination(d, folder);
        return kModalOk;
    };
}

std::function<int(BackupDestination&)> ScriptedUi::Ok()
{
    return [](BackupDestination&) { return kModalOk; };
}

int ScriptedUi::ShowBackupDialog(BackupDestination& destination, bool okEnabled)
{
    log << QStringLiteral("Backup");
    backupOkEnabled.push_back(okEnabled);
    if (backupAnswers.empty())
        return kModalCancel;
    auto answer = std::move(backupAnswers.front());
    backupAnswers.pop_front();
    return answer(destination);
}

int ScriptedUi::ShowCleanDialog(const QString& folderName, bool okEnabled)
{
    log << QStringLiteral("Clean:%1:%2").arg(folderName).arg(okEnabled);
    if (cleanAnswers.empty())
        return kModalCancel;
    const int r = cleanAnswers.front();
    cleanAnswers.pop_front();
    return r;
}

bool ScriptedUi::AskConfirmation(const QString& text)
{
    log << QStringLiteral("Check:") + text;
    if (confirmAnswers.empty())
        return true;
    const bool r = confirmAnswers.front();
    confirmAnswers.pop_front();
    return r;
}

bool ScriptedUi::AskConfirmation2(const QString& first, const QString& second)
{
    log << QStringLiteral("Check1:") + first + second;
    if (confirmAnswers.empty())
        return true;
    const bool r = confirmAnswers.front();
    confirmAnswers.pop_front();
    return r;
}

void ScriptedUi::ShowInformation(const QString& text)
{
    log << QStringLiteral("Info:") + text;
}

void ScriptedUi::ShowInformation2(const QString& first, const QString& second)
{
    log << QStringLiteral("Info:") + first;
    log << QStringLiteral("Detail:") + second;
}

void ScriptedUi::ShowMessageBox(const QString& title, const QString& text)
{
    log << QStringLiteral("Box:") + title + QLatin1Char(':') + text;
}

int ScriptedUi::ShowProcess(const ProcessView& view)
{
    log << QStringLiteral("Process:") + view.function;
    views.push_back(view);
    processResult_ = 0;
    processOpen_ = true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!processOpen_)
            loop.quit();
        else if (stopWhen && stopWhen()) {
            processResult_ = kModalNo;
            processOpen_ = false;
            loop.quit();
        }
    });
    poll.start();
    if (onProcessShown)
        onProcessShown();
    // The user may press stop as soon as the dialog shows, before the job's end is reported.
    if (processOpen_ && stopWhen && stopWhen()) {
        processResult_ = kModalNo;
        processOpen_ = false;
    }
    if (processOpen_)
        loop.exec();
    processOpen_ = false;
    return processResult_;
}

void ScriptedUi::UpdateProcess(const ProcessView& view)
{
    views.push_back(view);
}

void ScriptedUi::EndProcess()
{
    if (processOpen_) {
        processResult_ = kModalOk;
        processOpen_ = false;
    }
}

ScriptedHost::ScriptedHost()
{
    QObject::connect(&busy, &BusyState::settling, [this](BusyReason reason) {
        if (reason == BusyReason::JobRunning)
            log << QStringLiteral("ProcessFinish");
    });
}

} // namespace korvane::test
