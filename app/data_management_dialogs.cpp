#include "app/data_management_dialogs.h"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "datamgmt/destination.h"
#include "platform/message_box.h"
#include "ui/check_dialogs.h"
#include "ui/dialog_family.h"
#include "ui/folder_dialogs.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"

namespace korvane {

QString DataManagementDialogs::Message(const QString& name)
{
    // The message buffers loaded at start-up, by their catalogue key.
    return CatalogueText(QStringLiteral("Main.Info.%1.Caption").arg(name));
}

QString DataManagementDialogs::ChooseFolder(QWidget* parent, const QString& caption, const QString& start) const
{
    if (chooser_)
        return chooser_(parent, caption, start);
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

int DataManagementDialogs::ShowBackupDialog(BackupDestination& destination, bool okEnabled)
{
    TfrmBackup& dialog = *Dialogs().frmBackup;
    dialog.sourceFolder = destination.sourceFolder;
    dialog.destinationFolder = destination.destinationFolder;
    dialog.lbSourceFolderName->setText(destination.sourceFolder);
    dialog.lbDestFolderName->setText(destination.Label());
    dialog.btnOk->setEnabled(okEnabled);
    // btnFolderClick: the chooser starts from the last destination; a cancelled choice changes
    // nothing.
    const QMetaObject::Connection folderClick =
        QObject::connect(dialog.btnFolder, &QPushButton::clicked, &dialog, [this, &dialog, &destination] {
            const QString chosen = ChooseFolder(&dialog, dialog.windowTitle(), destination.destinationFolder);
            if (chosen.isEmpty())
                return;
            ChooseDestination(destination, chosen);
            dialog.destinationFolder = destination.destinationFolder;
            dialog.lbDestFolderName->setText(destination.Label());
            dialog.btnOk->setEnabled(true);
        });
    const int result = ShowCentered(dialog, mainWindow_);
    QObject::disconnect(folderClick);
    return result == mrOk ? kModalOk : kModalCancel;
}

int DataManagementDialogs::ShowCleanDialog(const QString& folderName, bool okEnabled)
{
    TfrmClean& dialog = *Dialogs().frmClean;
    dialog.lbFolderName->setText(folderName);
    dialog.btnOk->setEnabled(okEnabled);
    return ShowCentered(dialog, mainWindow_) == mrOk ? kModalOk : kModalCancel;
}

bool DataManagementDialogs::AskConfirmation(const QString& text) { return korvane::AskConfirmation(text); }

bool DataManagementDialogs::AskConfirmation2(const QString& first, const QString& second)
{
    return korvane::AskConfirmation2(first, second);
}

void DataManagementDialogs::ShowInformation(const QString& text) { korvane::ShowInformation(text); }

void DataManagementDialogs::ShowInformation2(const QString& first, const QString& second)
{
    korvane::ShowInformation2(first, second);
}

void DataManagementDialogs::ShowMessageBox(const QString& title, const QString& text)
{
    korvane::ShowMessageBox(title, text, BoxIcon::None, BoxButtons::Ok);
}

int DataManagementDialogs::ShowProcess(const ProcessView& view)
{
    TfrmProcess& dialog = *Dialogs().frmProcess;
    // The command polls the job itself: the dialog's own timer has nothing to read.
    dialog.SetJob(nullptr);
    dialog.Prepare(view.function, view.copyVisible, true);
    dialog.tmProcess->stop();
    UpdateProcess(view);
    const int result = ShowCentered(dialog, mainWindow_);
    return result == mrOk ? kModalOk : kModalNo;
}

void DataManagementDialogs::UpdateProcess(const ProcessView& view)
{
    TfrmProcess& dialog = *Dialogs().frmProcess;
    dialog.lbCopy->setVisible(view.copyVisible);
    dialog.lbCopy->setText(view.copyText);
    if (view.total != 0)
        dialog.plFont->setFixedWidth(ProcessFillWidth(view.done, view.total, dialog.plBackground->width()));
}

void DataManagementDialogs::EndProcess()
{
    Dialogs().frmProcess->btnEnd->click();
}

} // namespace korvane
