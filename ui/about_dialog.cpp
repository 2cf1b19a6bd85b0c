#include "ui/about_dialog.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ui/text_catalogue.h"

namespace korvane {

TfrmAbout::TfrmAbout(QWidget* parent, std::function<qint64()> clock)
    : KorvaneDialog(parent, "frmAbout", 249, 141), clock_(std::move(clock))
{
    SetSilver();
    lbName = AddLabel(this, "lbName", QRect(0, 22, width(), 19), ButtonFontSize, true);
    lbVersion = AddLabel(this, "lbVersion", QRect(0, 56, width(), 19), ButtonFontSize, true);
    lbKey = new ClickArea(this);
    lbKey->setObjectName(QStringLiteral("lbKey"));
    lbKey->setGeometry(0, 8, 27, 26);
    btnOk = AddButton("btnOk", QRect(77, 90, 95, 33), QStringLiteral("OK"), mrOk);
    FitLabel(lbName);
    FitLabel(lbVersion);

    if (!clock_) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        clock_ = [started] { return started->elapsed(); };
    }
    tmCounter = new QTimer(this);
    tmCounter->setInterval(static_cast<int>(KeyClickCounter::kResetMs));
    connect(tmCounter, &QTimer::timeout, this, [this] { counter_.Reset(); });
    tmCounter->start();
    connect(lbKey, &ClickArea::clicked, this, &TfrmAbout::lbKeyClick);
    LoadTexts();
    KeepDesign();
}

void TfrmAbout::LoadTexts()
{
    setWindowTitle(CatalogueText("Dlg.About.Caption"));
    lbName->setText(QStringLiteral("Korvane"));
    lbVersion->setText(QStringLiteral("Version 1.50"));
}

void TfrmAbout::lbKeyClick()
{
    if (counter_.Click(clock_())) {
        if (plSpecial)
            plSpecial->setVisible(plSpecial->isHidden());
        emit specialToggled();
    }
    tmCounter->stop();
    tmCounter->start();
}

} // namespace korvane
