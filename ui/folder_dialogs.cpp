#include "ui/folder_dialogs.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "ui/text_catalogue.h"

namespace korvane {
namespace {
// Japanese texts keep the designed position, sized to their text; a text that would run under
// the panel beside it moves left instead, so that it is never cut.
void KeepBesidePanel(QLabel* label, const QWidget* panel)
{
    label->adjustSize();
    if (label->x() + QFontMetrics(label->font()).horizontalAdvance(label->text()) > panel->x())
        AlignLabelToPanel(label, panel);
}
} // namespace

void AlignLabelToPanel(QLabel* label, const QWidget* panel)
{
    const int textWidth = QFontMetrics(label->font()).horizontalAdvance(label->text());
    label->resize(textWidth, label->height());
    label->move(panel->x() - textWidth, label->y());
}

TfrmBackup::TfrmBackup(QWidget* parent) : KorvaneDialog(parent, "frmBackup", 297, 124)
{
    setWindowTitle(QStringLiteral("バックアップ"));
    SetSilver();
    lbInformation = AddLabel(this, "lbInformation", QRect(43, 15, 230, 32), LabelFontSize, false);
    lbSourceFolder = AddLabel(this, "lbSourceFolder", QRect(138, 11, 60, 19), LabelFontSize, false);
    lbSourceFolderName = AddLabel(this, "lbSourceFolderName", QRect(138, 26, 60, 19), LabelFontSize, false);
    lbSourceFolder->hide();
    lbSourceFolderName->hide();
    lbDestFolder = AddLabel(this, "lbDestFolder", QRect(20, 49, 50, 21), LabelFontSize, false);
    Panel1 = AddWhitePanel("Panel1", QRect(75, 45, 175, 29), true);
    lbDestFolderName = AddLabel(Panel1, "lbDestFolderName", QRect(12, 2, 158, 25), LabelFontSize, false);
    btnFolder = AddButton("btnFolder", QRect(256, 45, 33, 29), QString(), mrNone);
    btnFolder->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnOk = AddButton("btnOk", QRect(43, 88, 95, 28), QString(), mrOk);
    btnCancel = AddButton("btnCancel", QRect(163, 86, 94, 28), QString(), mrCancel);
    FitLabel(lbInformation);

    const bool english = !Catalogue().iniPath.isEmpty();
    setWindowTitle(CatalogueText("Dlg.Backup.Caption"));
    lbInformation->setText(CatalogueText("Dlg.Backup.Information.Caption"));
    lbSourceFolder->setText(CatalogueText("Dlg.Backup.SourceFolder.Caption"));
    lbDestFolder->setText(CatalogueText("Dlg.Backup.DestFolder.Caption"));
    btnOk->setText(CatalogueText("Dlg.Backup.OK.Caption"));
    btnCancel->setText(CatalogueText("Dlg.Backup,Cancel.Caption"));
    if (english)
        AlignLabelToPanel(lbDestFolder, Panel1);
    else
        KeepBesidePanel(lbDestFolder, Panel1);
    KeepDesign();
}

TfrmClean::TfrmClean(QWidget* parent) : KorvaneDialog(parent, "frmClean", 288, 127)
{
    setWindowTitle(QStringLiteral("クリーンアップ"));
    SetSilver();
    lbInformation = AddLabel(this, "lbInformation", QRect(32, 13, 224, 21), LabelFontSize, false);
    lbFolder = AddLabel(this, "lbFolder", QRect(34, 50, 70, 21), LabelFontSize, false);
    Panel1 = AddWhitePanel("Panel1", QRect(107, 45, 158, 29), true);
    lbFolderName = AddLabel(Panel1, "lbFolderName", QRect(6, 4, 148, 21), LabelFontSize, false);
    btnOk = AddButton("btnOk", QRect(34, 85, 95, 28), QString(), mrOk);
    btnCancel = AddButton("btnCancel", QRect(158, 85, 94, 28), QString(), mrCancel);
    FitLabel(lbInformation);

    const bool english = !Catalogue().iniPath.isEmpty();
    setWindowTitle(CatalogueText("Dlg.Clean.Caption"));
    lbInformation->setText(CatalogueText("Dlg.Clean.Information.Caption"));
    lbFolder->setText(CatalogueText("Dlg.Clean.Folder.Caption"));
    btnOk->setText(CatalogueText("Dlg.Clean.OK.Caption"));
    btnCancel->setText(CatalogueText("Dlg.Clean.Cancel.Caption"));
    if (english)
        AlignLabelToPanel(lbFolder, Panel1);
    else
        KeepBesidePanel(lbFolder, Panel1);
    KeepDesign();
}

} // namespace korvane
