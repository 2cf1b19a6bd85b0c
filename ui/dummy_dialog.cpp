#include "ui/dummy_dialog.h"

#include <QPushButton>
#include <QTimer>

namespace korvane {

TfrmDummy::TfrmDummy(QWidget* parent) : QDialog(parent)
{
    // An ordinary sizeable frame; no fonts or texts of its own.
    setObjectName(QStringLiteral("frmDummy"));
    resize(120, 56);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(8, 8, 75, 25);
    connect(btnOk, &QPushButton::clicked, this, [this] { done(mrOk); });
    tmClose = new QTimer(this);
    tmClose->setInterval(10);
    connect(tmClose, &QTimer::timeout, this, &TfrmDummy::tmCloseTimer);
}

void TfrmDummy::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    dummyShowing = true;
    tmClose->start();
}

void TfrmDummy::tmCloseTimer()
{
    tmClose->stop();
    dummyShowing = false;
    btnOk->click();
}

} // namespace korvane
