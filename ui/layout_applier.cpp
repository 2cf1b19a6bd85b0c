#include "ui/layout_applier.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QRegion>
#include <QVariant>
#include <QWidget>

#include "ui/device_pixels.h"

namespace korvane {
namespace {
QWidget* Named(QWidget& root, const QString& name)
{
    if (root.objectName() == name)
        return &root;
    return root.findChild<QWidget*>(name);
}

void SetBounds(QWidget& w, const QRect& logical, Sets sets)
{
    switch (sets) {
    case Sets::Bounds: w.setGeometry(logical); break;
    case Sets::Position: w.move(logical.topLeft()); break;
    case Sets::Size: w.resize(logical.size()); break;
    }
}
} // namespace

QStringList ApplyPlacements(QWidget& root, const LayoutResult& layout, double devicePixelRatio)
{
    QStringList missing;
    std::vector<std::pair<QWidget*, const ControlPlacement*>> elsewhere;
    for (const ControlPlacement& p : layout.placements) {
        QWidget* w = Named(root, p.name);
        if (!w) {
            missing << p.name;
            continue;
        }
        QWidget* parent = w->parentWidget();
        const bool sameParent = p.parent.isEmpty() ? parent == &root : parent && parent->objectName() == p.parent;
        if (sameParent)
            SetBounds(*w, ToLogical(p.rect, devicePixelRatio), p.sets);
        else
            elsewhere.emplace_back(w, &p);   // placed once every parent stands where it belongs
        if (p.text && w->metaObject()->indexOfProperty("text") >= 0)
            w->setProperty("text", *p.text);
        if (p.visible)
            w->setVisible(*p.visible);
    }
    for (auto [w, p] : elsewhere) {
        const QRect client = ToLogical(layout.InClient(p->name), devicePixelRatio);
        QWidget* parent = w->parentWidget();
        const QPoint origin = parent && parent != &root ? parent->mapFrom(&root, QPoint(0, 0)) : QPoint(0, 0);
        SetBounds(*w, client.translated(origin), p->sets);
    }
    return missing;
}

void ApplyRoundedRegions(QWidget& root, const LayoutResult& layout, double devicePixelRatio)
{
    for (const RoundedRegion& region : layout.regions) {
        QWidget* w = Named(root, region.name);
        if (!w)
            continue;
        // An ellipse of corner x corner makes corners of radius corner / 2.
        const double radius = region.corner / (devicePixelRatio > 0 ? devicePixelRatio : 1.0) / 2.0;
        QPainterPath path;
        path.addRoundedRect(QRectF(w->rect()), radius, radius);
        w->setMask(QRegion(path.toFillPolygon().toPolygon()));
        w->update();
    }
}

std::function<QSize(const QString&)> TimeLabelMeasure(const QFont& font, double devicePixelRatio)
{
    return [metrics = QFontMetrics(font), devicePixelRatio](const QString& text) {
        return ToDevice(QSize(metrics.horizontalAdvance(text), metrics.height()), devicePixelRatio);
    };
}

} // namespace korvane
