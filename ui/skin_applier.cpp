// The skin's colours and fonts applied by control name; see skin_applier.h.
#include "ui/skin_applier.h"

#include <QLabel>
#include <QMainWindow>
#include <QWidget>

#include "ui/skin.h"

namespace korvane {
namespace {
QWidget* Named(QWidget& window, const QString& name)
{
    if (window.objectName() == name)
        return &window;
    return window.findChild<QWidget*>(name);
}

void SetBackground(QWidget& w, const QColor& colour)
{
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, colour);
    w.setPalette(pal);
    w.setAutoFillBackground(true);
}
} // namespace

void ApplyColours(QWidget& window)
{
    for (const PanelColour& c : SkinColours()) {
        QWidget* w = Named(window, c.name);
        if (!w)
            continue;
        SetBackground(*w, c.colour);
        // The window's own colour shows through its client area.
        if (auto* main = qobject_cast<QMainWindow*>(w); main && main->centralWidget())
            SetBackground(*main->centralWidget(), c.colour);
    }
}

void ApplyFonts(QWidget& window)
{
    for (const FontSpec& f : SkinFonts()) {
        QWidget* w = Named(window, f.name);
        if (!w)
            continue;
        QFont font = w->font();
        if (f.face)
            font.setFamily(*f.face);
        if (f.pointSize)
            font.setPointSize(*f.pointSize);
        w->setFont(font);
        if (f.colour) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::WindowText, *f.colour);
            w->setPalette(pal);
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && f.centredToText) {
            label->setAlignment(Qt::AlignCenter);
            label->adjustSize();
        }
    }
}

} // namespace korvane
