#include "ui/dialog_base.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace korvane {
namespace {
constexpr int kTextMargin = 8;   // on each side of a widened text
}

QColor InformationBackground() { return QColor(215, 228, 242); }

QFont DialogFont(int pointSize) { return QFont(QStringLiteral("Meiryo UI"), pointSize); }

KorvaneDialog::KorvaneDialog(QWidget* parent, const char* name, int width, int height)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QString::fromLatin1(name));
    setFixedSize(width, height);
    setModal(true);
}

void KorvaneDialog::SetSilver()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
}

QLabel* KorvaneDialog::AddLabel(QWidget* parent, const char* name, const QRect& r, int pointSize, bool centred)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(r);
    label->setFont(DialogFont(pointSize));
    if (centred)
        label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton* KorvaneDialog::AddButton(const char* name, const QRect& r, const QString& text, int modalResult,
                                      int pointSize)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(r);
    button->setFont(DialogFont(pointSize));
    if (modalResult != mrNone)
        connect(button, &QPushButton::clicked, this, [this, modalResult] { done(modalResult); });
    return button;
}

QFrame* KorvaneDialog::AddWhitePanel(const char* name, const QRect& r, bool loweredBevel)
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(r);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    if (loweredBevel)
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

void KorvaneDialog::KeepDesign()
{
    designSize_ = size();
    design_.clear();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        design_.push_back({child, child->geometry()});
}

void KorvaneDialog::FitTexts()
{
    if (design_.empty())
        return;
    int extra = 0;
    for (QLabel* label : fitted_) {
        const Placed* placed = nullptr;
        for (const Placed& p : design_)
            if (p.widget == label)
                placed = &p;
        if (!placed || label->text().isEmpty())
            continue;
        const QRect needed = QFontMetrics(label->font()).boundingRect(QRect(0, 0, 100000, 100000), 0, label->text());
        extra = std::max(extra, needed.width() + 2 * kTextMargin - placed->rect.width());
    }
    extra = std::max(extra, 0);
    extra += extra % 2;   // keeps the halves whole
    setFixedSize(designSize_.width() + extra, designSize_.height());
    for (const Placed& p : design_) {
        const bool fitted = std::find(fitted_.begin(), fitted_.end(), p.widget) != fitted_.end();
        if (fitted)
            p.widget->setGeometry(p.rect.adjusted(0, 0, extra, 0));
        else
            p.widget->setGeometry(p.rect.translated(extra / 2, 0));
    }
}

} // namespace korvane
