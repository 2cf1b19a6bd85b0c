#include "ui/dialog_family.h"

#include <QLabel>
#include <QWidget>

#include "platform/message_box.h"
#include "ui/about_dialog.h"
#include "ui/check_dialogs.h"
#include "ui/close_dialog.h"
#include "ui/dummy_dialog.h"
#include "ui/folder_dialogs.h"
#include "ui/information_dialogs.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "ui/update_dialog.h"

namespace korvane {
namespace {
DialogFamily& Family()
{
    static DialogFamily family;
    return family;
}
} // namespace

const DialogFamily& CreateDialogs(QWidget* mainWindow)
{
    DialogFamily& f = Family();
    f.mainWindow = mainWindow;
    f.frmAbout = new TfrmAbout(mainWindow);
    f.frmBackup = new TfrmBackup(mainWindow);
    f.frmCheck = new TfrmCheck(mainWindow);
    f.frmCheck1 = new TfrmCheck1(mainWindow);
    f.frmClean = new TfrmClean(mainWindow);
    f.frmClose = new TfrmClose(mainWindow);
    f.frmDummy = new TfrmDummy(mainWindow);
    f.frmInformation = new TfrmInformation(mainWindow);
    f.frmInformation1 = new TfrmInformation1(mainWindow);
    f.frmProcess = new TfrmProcess(mainWindow);
    f.frmUpdate = new TfrmUpdate(mainWindow);
    if (mainWindow) {
        // The family goes with its main window.
        QObject::connect(mainWindow, &QObject::destroyed, [] { Family() = DialogFamily{}; });
    }
    return f;
}

const DialogFamily& Dialogs() { return Family(); }

void ShowInformation(const QString& text)
{
    const DialogFamily& f = Family();
    if (!f.frmInformation) {
        ShowMessageBox(QStringLiteral("Korvane"), text, BoxIcon::Information);
        return;
    }
    f.frmInformation->lbInformation->setText(text);
    ShowCentered(*f.frmInformation, f.mainWindow);
}

void ShowInformation2(const QString& first, const QString& second)
{
    const DialogFamily& f = Family();
    if (!f.frmInformation1) {
        ShowMessageBox(QStringLiteral("Korvane"), first + QLatin1Char('\n') + second, BoxIcon::Information);
        return;
    }
    f.frmInformation1->lbInformation1->setText(first);
    f.frmInformation1->lbInformation2->setText(second);
    ShowCentered(*f.frmInformation1, f.mainWindow);
}

bool AskConfirmation(const QString& text)
{
    const DialogFamily& f = Family();
    if (!f.frmCheck)
        return ShowMessageBox(QStringLiteral("Korvane"), text, BoxIcon::Question, BoxButtons::OkCancel) == mrOk;
    f.frmCheck->lbInformation->setText(text);
    return ShowCentered(*f.frmCheck, f.mainWindow) == mrOk;
}

bool AskConfirmation2(const QString& first, const QString& second, const QString& title)
{
    const DialogFamily& f = Family();
    if (!f.frmCheck1)
        return ShowMessageBox(title.isEmpty() ? QStringLiteral("Korvane") : title, first + QLatin1Char('\n') + second,
                              BoxIcon::Question, BoxButtons::OkCancel) == mrOk;
    f.frmCheck1->setWindowTitle(title.isEmpty() ? QStringLiteral("確認") : title);
    f.frmCheck1->lbInformation1->setText(first);
    f.frmCheck1->lbInformation2->setText(second);
    return ShowCentered(*f.frmCheck1, f.mainWindow) == mrOk;
}

} // namespace korvane
