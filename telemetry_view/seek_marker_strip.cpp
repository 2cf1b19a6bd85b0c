// The seek bar's event markers; see seek_marker_strip.h.
#include "telemetry_view/seek_marker_strip.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QPolygon>
#include <QToolTip>

#include "telemetry_view/chart_painter.h"

namespace korvane {

SeekMarkerStrip::SeekMarkerStrip(QWidget* bar) : QWidget(bar), bar_(bar)
{
    setObjectName(QStringLiteral("plSeekMarkers"));
    // Presses, moves and releases go to the bar's track, fill and thumb underneath; the tip
    // question reaches the bar from whichever part the pointer rests on.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(bar_->rect());
    raise();
    bar_->installEventFilter(this);
}

void SeekMarkerStrip::SetEvents(std::vector<TelemetryEvent> events)
{
    events_ = std::move(events);
    update();
}

std::vector<SeekMarker> SeekMarkerStrip::Markers() const
{
    return span ? PlaceSeekMarkers(span(), events_) : std::vector<SeekMarker>();
}

QString SeekMarkerStrip::TipAt(int x) const
{
    QStringList lines;
    for (const SeekMarker& m : SeekMarkersAt(Markers(), x))
        lines << (markerText ? markerText(m.event) : QString::fromLatin1(EventKindName(m.event.kind)));
    return lines.join(QLatin1Char('\n'));
}

bool SeekMarkerStrip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == bar_) {
        if (event->type() == QEvent::Resize) {
            setGeometry(bar_->rect());
            raise();
        } else if (event->type() == QEvent::ToolTip) {
            // A part without a tip of its own passes the question on to the bar, with the
            // position in the bar's coordinates.
            auto* help = static_cast<QHelpEvent*>(event);
            const QString tip = TipAt(help->pos().x());
            if (tip.isEmpty()) {
                QToolTip::hideText();
                event->ignore();
            } else {
                QToolTip::showText(help->globalPos(), tip, bar_);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SeekMarkerStrip::paintEvent(QPaintEvent*)
{
    const std::vector<SeekMarker> markers = Markers();
    if (markers.empty())
        return;
    QPainter painter(this);
    // Later markers over earlier ones, as on the chart.
    for (const SeekMarker& m : markers) {
        const QColor colour = MarkerColour(m.event.kind);
        painter.setPen(QPen(colour, 1));
        painter.setBrush(colour);
        painter.drawPolygon(QPolygon({QPoint(m.x - kSeekMarkerHalfWidth, 0), QPoint(m.x + kSeekMarkerHalfWidth, 0),
                                      QPoint(m.x, kSeekMarkerHeight)}));
    }
}

} // namespace korvane
