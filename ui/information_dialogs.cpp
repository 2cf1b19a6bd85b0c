#include "ui/information_dialogs.h"

#include <QLabel>
#include <QPushButton>

#include "ui/text_catalogue.h"

namespace korvane {

TfrmInformation::TfrmInformation(QWidget* parent) : KorvaneDialog(parent, "frmInformation", 281, 72)
{
    setWindowTitle(QStringLiteral("情報"));
    SetSilver();
    lbInformation = AddLabel(this, "lbInformation", QRect(8, 10, 265, 22), LabelFontSize, true);
    btnOk = AddButton("btnOk", QRect(87, 36, 95, 28), QString(), mrOk);
    FitLabel(lbInformation);
    setWindowTitle(CatalogueText("Dlg.Information.Caption"));
    btnOk->setText(CatalogueText("Dlg.Information.OK.Caption"));
    lbInformation->setText(CatalogueText("Dlg.Information.Information.Caption"));
    KeepDesign();
}

TfrmInformation1::TfrmInformation1(QWidget* parent) : KorvaneDialog(parent, "frmInformation1", 309, 118)
{
    setWindowTitle(QStringLiteral("情報"));   // title and button are the same in every language
    SetSilver();
    lbInformation1 = AddLabel(this, "lbInformation1", QRect(18, 8, 270, 22), LabelFontSize, true);
    lbInformation2 = AddLabel(this, "lbInformation2", QRect(18, 40, 265, 22), LabelFontSize, true);
    btnOk = AddButton("btnOk", QRect(103, 71, 95, 28), QStringLiteral("OK"), mrOk);
    FitLabel(lbInformation1);
    FitLabel(lbInformation2);
    KeepDesign();
}

} // namespace korvane
