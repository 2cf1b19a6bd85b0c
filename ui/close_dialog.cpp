#include "ui/close_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "core/busy_state.h"
#include "ui/text_catalogue.h"

namespace korvane {

TfrmClose::TfrmClose(QWidget* parent) : KorvaneDialog(parent, "frmClose", 302, 74)
{
    setWindowTitle(QStringLiteral("確認"));
    SetSilver();
    lbInformation = AddLabel(this, "lbInformation", QRect(0, 12, width(), 24), LabelFontSize, true);
    lbInformation->setAutoFillBackground(true);
    QPalette pal = lbInformation->palette();
    pal.setColor(QPalette::Window, InformationBackground());
    lbInformation->setPalette(pal);
    btnOk = AddButton("btnOk", QRect(34, 40, 95, 28), QString(), mrNone, LabelFontSize);
    btnCancel = AddButton("btnCancel", QRect(175, 38, 94, 28), QString(), mrCancel, LabelFontSize);
    FitLabel(lbInformation);
    setWindowTitle(CatalogueText("Dlg.Close.Caption"));
    btnOk->setText(CatalogueText("Dlg.Close.OK.Caption"));
    btnCancel->setText(CatalogueText("Dlg.Close.Cancel.Caption"));
    lbInformation->setText(CatalogueText("Dlg.Close.Information.Caption"));
    KeepDesign();

    tmDelay = new QTimer(this);
    tmDelay->setInterval(1000);
    connect(btnOk, &QPushButton::clicked, this, &TfrmClose::btnOkClick);
    connect(tmDelay, &QTimer::timeout, this, &TfrmClose::tmDelayTimer);
    connect(this, &QDialog::finished, this, [this] {
        tmDelay->stop();
        btnCancel->setEnabled(true);
    });
}

bool TfrmClose::Idle() const { return !busy_ || busy_->IsIdle(); }

void TfrmClose::btnOkClick()
{
    btnCancel->setEnabled(false);
    if (Idle())
        done(mrOk);
    else
        tmDelay->start();
}

void TfrmClose::tmDelayTimer()
{
    if (!Idle())
        return;
    btnCancel->setEnabled(false);
    done(mrOk);
}

} // namespace korvane
