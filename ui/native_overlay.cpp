// Matches a native overlay's surface type to its top-level window (see native_overlay.h).
#include "ui/native_overlay.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace korvane {
namespace {

class SurfaceMatcher : public QObject {
public:
    explicit SurfaceMatcher(QWidget* overlay) : QObject(overlay), overlay_(overlay)
    {
        overlay->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == overlay_ && (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange))
            QTimer::singleShot(0, this, &SurfaceMatcher::Match);
        return false;
    }

private:
    void Match()
    {
        QWindow* own = overlay_ ? overlay_->windowHandle() : nullptr;
        QWindow* top = overlay_ ? overlay_->window()->windowHandle() : nullptr;
        if (!own || !top || own == top || own->surfaceType() == top->surfaceType())
            return;
        const bool shown = own->isVisible();
        own->destroy();
        own->setSurfaceType(top->surfaceType());
        own->create();
        // The new native window takes its place inside the nearest native ancestor again.
        if (QWidget* parent = overlay_->nativeParentWidget())
            own->setGeometry(QRect(overlay_->mapTo(parent, QPoint()), overlay_->size()));
        if (shown)
            own->setVisible(true);
        overlay_->update();
    }

    QPointer<QWidget> overlay_;
};

}  // namespace

void KeepOverlaySurfaceWithWindow(QWidget* overlay)
{
    new SurfaceMatcher(overlay);
}

}  // namespace korvane
