#include "ui/update_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ui/text_catalogue.h"

namespace korvane {

TfrmUpdate::TfrmUpdate(QWidget* parent) : KorvaneDialog(parent, "frmUpdate", 356, 90)
{
    setWindowTitle(QStringLiteral("お知らせ"));
    SetSilver();
    lbInformation = AddLabel(this, "lbInformation", QRect(0, 11, width(), 69), LabelFontSize, true);
    lbInformation->setAutoFillBackground(true);
    QPalette pal = lbInformation->palette();
    pal.setColor(QPalette::Window, InformationBackground());
    lbInformation->setPalette(pal);
    btnOk = AddButton("btnOk", QRect(130, 49, 95, 31), QString(), mrOk, LabelFontSize);
    btnOk->hide();
    tmDelay = new QTimer(this);
    tmDelay->setInterval(1000);
    FitLabel(lbInformation);
    setWindowTitle(CatalogueText("Dlg.Update.Caption"));
    btnOk->setText(CatalogueText("Dlg.Update.OK.Caption"));
    lbInformation->setText(CatalogueText(keys::kUpdateInformation));
    KeepDesign();
}

} // namespace korvane
