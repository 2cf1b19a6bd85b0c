#include "ui/process_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ui/text_catalogue.h"

namespace korvane {

int ProgressFillWidth(int done, int total, int barWidth)
{
    if (total == 0)
        return 0;
    return static_cast<int>(static_cast<double>(done) / total * barWidth);
}

TfrmProcess::TfrmProcess(QWidget* parent) : KorvaneDialog(parent, "frmProcess", 227, 87)
{
    // A title but no border icons: the job ends through the stop button only.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("情報"));
    SetSilver();
    lbFunction = AddLabel(this, "lbFunction", QRect(10, 2, 199, 19), LabelFontSize, true);
    plBackground = AddWhitePanel("plBackground", QRect(8, 26, 210, 17), false);
    plFont = new QWidget(plBackground);
    plFont->setObjectName(QStringLiteral("plFont"));
    plFont->setAutoFillBackground(true);
    QPalette navy = plFont->palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    plFont->setPalette(navy);
    plFont->setGeometry(0, 0, 0, plBackground->height());
    btnEnd = AddButton("btnEnd", QRect(0, 49, 88, 30), QStringLiteral("OK"), mrNone);
    btnEnd->hide();
    btnStop = AddButton("btnStop", QRect(73, 49, 88, 30), QString(), mrNone);
    lbCopy = AddLabel(this, "lbCopy", QRect(159, 54, 67, 19), LabelFontSize, true);
    for (QLabel* label : {lbCopy, lbFunction}) {
        label->setAutoFillBackground(true);
        QPalette pal = label->palette();
        pal.setColor(QPalette::Window, InformationBackground());
        label->setPalette(pal);
    }
    lbCopy->clear();
    FitLabel(lbFunction);

    tmProcess = new QTimer(this);
    tmProcess->setInterval(1000);
    connect(tmProcess, &QTimer::timeout, this, &TfrmProcess::tmProcessTimer);
    connect(btnStop, &QPushButton::clicked, this, &TfrmProcess::btnStopClick);
    connect(btnEnd, &QPushButton::clicked, this, &TfrmProcess::btnEndClick);

    setWindowTitle(CatalogueText("Dlg.Process.Caption"));
    btnStop->setText(CatalogueText("Dlg.Process.Stop.Caption"));
    lbFunction->setText(CatalogueText("Dlg.Process.Function.Caption"));
    KeepDesign();
}

void TfrmProcess::Prepare(const QString& function, bool showCount, bool resetFill)
{
    lbCopy->clear();
    lbCopy->setVisible(showCount);
    lbFunction->setText(function);
    if (resetFill)
        plFont->setFixedWidth(0);
    tmProcess->start();
}

void TfrmProcess::tmProcessTimer()
{
    tmProcess->stop();
    if (!job_)
        return;
    const int done = job_->JobDone(), total = job_->JobTotal();
    lbCopy->setText(QStringLiteral("%1/%2").arg(done).arg(total));
    if (total != 0)
        plFont->setFixedWidth(ProgressFillWidth(done, total, plBackground->width()));
    if (job_->Ended())
        btnEnd->click();
    else
        tmProcess->start();
}

void TfrmProcess::JobEnded()
{
    if (isVisible())
        tmProcessTimer();
}

void TfrmProcess::btnStopClick()
{
    tmProcess->stop();
    if (job_)
        job_->RequestStop();
    done(mrNo);
}

void TfrmProcess::reject() { btnStop->click(); }

void TfrmProcess::btnEndClick()
{
    tmProcess->stop();
    done(mrOk);
}

} // namespace korvane
