#include "ui/close_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace korvane {

TfrmClose::TfrmClose(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmClose"));
    setWindowTitle(QStringLiteral("確認"));
    setFixedSize(302, 74);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);

    QFont font(QStringLiteral("Meiryo UI"), 11);
    lbInformation = new QLabel(QStringLiteral("Korvane を終了しますか？"), this);
    lbInformation->setGeometry(0, 12, 302, 24);
    lbInformation->setAlignment(Qt::AlignCenter);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setGeometry(34, 40, 95, 28);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setGeometry(175, 38, 94, 28);
    for (QWidget* w : {static_cast<QWidget*>(lbInformation), static_cast<QWidget*>(btnOk),
                       static_cast<QWidget*>(btnCancel)})
        w->setFont(font);

    tmDelay = new QTimer(this);
    tmDelay->setInterval(1000);
    connect(btnOk, &QPushButton::clicked, this, &TfrmClose::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(2); });
    connect(tmDelay, &QTimer::timeout, this, &TfrmClose::tmDelayTimer);
    connect(this, &QDialog::finished, this, [this] {
        tmDelay->stop();
        btnCancel->setEnabled(true);
    });
}

void TfrmClose::btnOkClick()
{
    btnCancel->setEnabled(false);
    if (Idle())
        done(1);
    else
        tmDelay->start();
}

void TfrmClose::tmDelayTimer()
{
    if (!Idle())
        return;
    btnCancel->setEnabled(false);
    done(1);
}

} // namespace korvane
