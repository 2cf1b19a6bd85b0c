#include "ui/check_dialogs.h"

#include <QLabel>
#include <QPushButton>

#include "ui/text_catalogue.h"

namespace korvane {

TfrmCheck::TfrmCheck(QWidget* parent) : KorvaneDialog(parent, "frmCheck", 424, 70)
{
    setWindowTitle(QStringLiteral("確認"));
    SetSilver();
    lbInformation = AddLabel(this, "lbInformation", QRect(8, 8, 408, 18), LabelFontSize, true);
    btnOk = AddButton("btnOk", QRect(91, 34, 93, 28), QString(), mrOk);
    btnCancel = AddButton("btnCancel", QRect(243, 32, 94, 28), QString(), mrCancel);
    FitLabel(lbInformation);
    setWindowTitle(CatalogueText("Dlg.Check.Caption"));
    btnOk->setText(CatalogueText("Dlg.Check.OK.Caption"));
    btnCancel->setText(CatalogueText("Dlg.Check.Cancel.Caption"));
    lbInformation->setText(CatalogueText("Dlg.Check.Information.Caption"));
    btnOk->setAutoDefault(false);
    btnCancel->setDefault(true);
    KeepDesign();
}

void TfrmCheck::showEvent(QShowEvent* event)
{
    KorvaneDialog::showEvent(event);
    btnCancel->setFocus(Qt::OtherFocusReason);
}

TfrmCheck1::TfrmCheck1(QWidget* parent) : KorvaneDialog(parent, "frmCheck1", 337, 124)
{
    setWindowTitle(QStringLiteral("確認"));   // the same in every language
    SetSilver();
    lbInformation1 = AddLabel(this, "lbInformation1", QRect(6, 14, 323, 23), LabelFontSize, true);
    lbInformation2 = AddLabel(this, "lbInformation2", QRect(6, 50, 323, 18), LabelFontSize, true);
    btnOk = AddButton("btnOk", QRect(51, 86, 93, 28), CatalogueText("Dlg.Check.OK.Caption"), mrOk);
    btnCancel = AddButton("btnCancel", QRect(180, 86, 94, 28), CatalogueText("Dlg.Check.Cancel.Caption"), mrCancel);
    FitLabel(lbInformation1);
    FitLabel(lbInformation2);
    KeepDesign();
}

} // namespace korvane
