#include "ui/layout_applier.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QRegion>
#include <QVariant>
#include <QWidget>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include "ui/device_pixels.h"
#include "ui/display_scale.h"

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

// A native child placed while hidden (an overlay above the video windows) can be handed the size
// its window was created with by the window system later, once it shows. The keeper remembers
// the place the layout gave it and puts it back there whenever it has moved off it.
class NativePlaceKeeper : public QObject {
public:
    explicit NativePlaceKeeper(QWidget& widget) : QObject(&widget), widget_(widget)
    {
        setObjectName(QStringLiteral("nativePlaceKeeper"));
        widget.installEventFilter(this);
    }
    void Remember() { place_ = widget_.geometry(); Restore(); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &widget_ && (event->type() == QEvent::Show || event->type() == QEvent::Resize ||
                                    event->type() == QEvent::Move))
            QTimer::singleShot(0, this, &NativePlaceKeeper::Restore);
        return false;
    }

private:
    void Restore()
    {
        if (widget_.geometry() != place_)
            widget_.setGeometry(place_);
        QWindow* own = widget_.windowHandle();
        QWidget* nativeParent = widget_.nativeParentWidget();
        if (!own || !nativeParent)
            return;
        const QRect inParent(widget_.mapTo(nativeParent, QPoint(0, 0)), widget_.size());
        if (own->geometry() != inParent)
            own->setGeometry(inParent);
    }

    QWidget& widget_;
    QRect place_;
};

void KeepNativePlace(QWidget& w)
{
    auto* keeper = w.findChild<NativePlaceKeeper*>(QStringLiteral("nativePlaceKeeper"), Qt::FindDirectChildrenOnly);
    if (!keeper)
        keeper = new NativePlaceKeeper(w);
    keeper->Remember();
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
    for (const ControlPlacement& p : layout.placements)
        if (QWidget* w = Named(root, p.name); w && !w->isWindow() && w->internalWinId())
            KeepNativePlace(*w);
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

LayoutInput MeasureLayoutInput(QWidget& window, QWidget& root, int scalePercent, qint64 duration,
                               double devicePixelRatio)
{
    const double s = ScaleFromPercent(scalePercent);
    auto scaled = [s](int w, int h) { return QSize(Scaled(w, s), Scaled(h, s)); };
    auto device = [devicePixelRatio](const QSize& logical) { return ToDevice(logical, devicePixelRatio); };
    // A label's size in device pixels: the size it was given (lbSpeed is sized for three
    // digits), else the size of its text; its 100 % figure scaled when it is not built.
    auto label = [&](const char* name, QSize fallback) {
        QWidget* w = Named(root, QString::fromLatin1(name));
        if (!w)
            return fallback;
        return device(w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint());
    };
    // The time labels are measured in lbT00's font when it is built, else in Arial 11.
    QFont timeFont(QStringLiteral("Arial"));
    timeFont.setPointSize(11);
    if (QWidget* t00 = Named(root, QStringLiteral("lbT00")))
        timeFont = t00->font();
    LayoutInput in(TimeLabelMeasure(timeFont, devicePixelRatio));
    in.scalePercent = scalePercent;
    in.duration = duration;
    const QWidget* status = window.findChild<QWidget*>(QStringLiteral("stSystem"));
    const int statusHeight = status && status->isVisible() ? status->height() : 0;
    const QSize client = device(QSize(root.width(), root.height() + statusHeight));
    in.clientWidth = client.width();
    in.clientHeight = client.height();
    in.statusBarHeight = device(QSize(0, statusHeight)).height();
    in.frameWidth = device(QSize(window.frameGeometry().width() - window.width(), 0)).width();
    in.titleHeight = Scaled(30, s);
    in.playButton = scaled(48, 48);
    in.playButtonGap = Scaled(10, s);
    in.seekTrackHeight = Scaled(15, s);
    in.seekControlHeight = Scaled(18, s);
    in.timePanelHeight = Scaled(20, s);
    in.seekTimeLabel = label("lbMinTime", scaled(50, 14));
    in.clockLabel = label("lbTM_START", scaled(56, 17));
    in.gLabel = label("lb100", scaled(36, 17));
    in.speedTopLabel = label("lbSP80", scaled(62, 17));
    in.kmhLabel = label("lbKmh", scaled(45, 23));
    in.speedLabel = label("lbSpeed", scaled(50, 62));
    in.wordNormalHeight = label("plWordNormal", scaled(0, 20)).height();
    in.wordEventHeight = label("plWordEvent", scaled(0, 20)).height();
    if (QWidget* t05 = Named(root, QStringLiteral("lbT05")))
        in.lbT05Width = device(t05->size()).width();
    else
        in.lbT05Width = Scaled(14, s);
    return in;
}

LayoutInput::MeasureText TimeLabelMeasure(const QFont& font, double devicePixelRatio)
{
    return [metrics = QFontMetrics(font), devicePixelRatio](const QString& text) {
        return ToDevice(QSize(metrics.horizontalAdvance(text), metrics.height()), devicePixelRatio);
    };
}

} // namespace korvane
