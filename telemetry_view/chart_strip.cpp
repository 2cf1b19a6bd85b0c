// The chart's widgets; see chart_strip.h.
#include "telemetry_view/chart_strip.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "telemetry_view/chart_painter.h"
#include "telemetry_view/strip_layout.h"

namespace korvane {
namespace {

const QColor kCursorFill(255, 0, 0);
const QColor kCursorPen(255, 255, 0);
const QColor kGLabel(255, 255, 0);
const QColor kGAxis(16, 183, 253);
const QColor kSpeedAxis(70, 167, 89);

// spVelocity: red fill, yellow outline (a one-pixel bar shows its outline only).
class CursorBar : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), kCursorFill);
        p.setPen(kCursorPen);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QColor& colour, const QString& text)
{
    auto* label = new QLabel(parent);
    // The card's texts (the G text among them) are shown as they stand, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(QFont(QStringLiteral("Arial"), 11));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
    label->adjustSize();
    return label;
}

const TelemetryTrack& ClearedTrack()
{
    static const TelemetryTrack cleared{};
    return cleared;
}

// The clock captions of a chart without samples.
const QString kEmptyStart = QStringLiteral("00:00:00");
const QString kEmptyEnd = QStringLiteral("00:01:00");

void SetCaption(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    label->adjustSize();
}

} // namespace

ChartImage::ChartImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartImage::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), Qt::black);
    p.drawImage(0, 0, image);
}

bool ChartImage::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        emit toolTipAt(help->pos().x(), help->globalPos());
        return true;
    }
    return QWidget::event(e);
}

void ChartImage::mousePressEvent(QMouseEvent* e) { emit pressed(e->buttons(), e->position().toPoint().x()); }
void ChartImage::mouseMoveEvent(QMouseEvent* e) { emit moved(e->buttons(), e->position().toPoint().x()); }
void ChartImage::mouseReleaseEvent(QMouseEvent*) { emit released(); }
void ChartImage::mouseDoubleClickEvent(QMouseEvent*) { emit released(); }

ChartStrip::ChartStrip(QWidget* plCurve, int scalePercent) : QObject(plCurve), plCurve_(plCurve), scalePercent_(scalePercent)
{
    plImage = new ChartImage(plCurve);
    plImage->setObjectName(QStringLiteral("plImage"));
    connect(plImage, &ChartImage::toolTipAt, this, [this](int x, QPoint globalPos) {
        const ChartMarker* m = MarkerAt(drawing_, x);
        if (!m) {
            QToolTip::hideText();
            return;
        }
        QToolTip::showText(globalPos, markerText ? markerText(m->event) : QString::fromLatin1(EventKindName(m->event.kind)),
                           plImage);
    });
    spVelocity = new CursorBar(plImage);
    spVelocity->setObjectName(QStringLiteral("spVelocity"));
    spVelocity->setAttribute(Qt::WA_TransparentForMouseEvents);
    lbAcceleration = MakeLabel(plImage, "lbAcceleration", kGLabel, QString());
    lbAcceleration->setAttribute(Qt::WA_TransparentForMouseEvents);
    const char* gNames[] = {"lb000", "lb025", "lb050", "lb075", "lb100"};
    const char* spNames[] = {"lbSP00", "lbSP20", "lbSP40", "lbSP60", "lbSP80"};
    for (int i = 0; i < 5; ++i) {
        gLabels[i] = MakeLabel(plCurve, gNames[i], kGAxis, QString());
        speedLabels[i] = MakeLabel(plCurve, spNames[i], kSpeedAxis, QString());
    }
    for (int i = 0; i < 7; ++i)
        timeLabels[i] = MakeLabel(plCurve, QStringLiteral("lbT0%1").arg(i).toLatin1().constData(), Qt::white, QString());
    lbTM_START = MakeLabel(plCurve, "lbTM_START", Qt::white, QString());
    lbTM_END = MakeLabel(plCurve, "lbTM_END", Qt::white, QString());
    InitChartLabels();
    // The cursor and its label wait for the first layout; the cursor starts at the left edge.
    spVelocity->move(0, 0);
    spVelocity->hide();
    lbAcceleration->hide();
}

void ChartStrip::InitChartLabels()
{
    const char* g[] = {"+0.00", "+0.25", "+0.50", "+0.75", "+1.00G"};
    const char* sp[] = {" 0", "45", "90", "135", "180 Km/h"};
    for (int i = 0; i < 5; ++i) {
        SetCaption(gLabels[i], QString::fromLatin1(g[i]));
        SetCaption(speedLabels[i], QString::fromLatin1(sp[i]));
    }
    const char* t[] = {" 0", "10", "20", "30", "40", "50", "60s"};
    for (int i = 0; i < 7; ++i) {
        SetCaption(timeLabels[i], QString::fromLatin1(t[i]));
        timeLabels[i]->setAlignment(Qt::AlignCenter);
    }
    SetCaption(lbTM_START, kEmptyStart);
    SetCaption(lbTM_END, kEmptyEnd);
}

void ChartStrip::DrawChart(const TelemetryTrack* track, std::int64_t duration100ns)
{
    track_ = track;
    duration_ = duration100ns;
    const TelemetryTrack& t = track ? *track : ClearedTrack();
    drawing_ = ComputeChart(t, duration100ns, plImage->width(), plImage->height(), scalePercent_, mph_);
    chartSamples_ = drawing_.chartSamples;
    PlaceMarkers(drawing_, track ? events_ : std::vector<TelemetryEvent>());
    for (int i = 0; i < 5; ++i) {
        SetCaption(speedLabels[i], drawing_.speedCaptions[i]);
        SetCaption(gLabels[i], drawing_.gCaptions[i]);
    }
    const QSize size(std::max(plImage->width(), 1), std::max(plImage->height(), 1));
    if (plImage->image.size() != size)
        plImage->image = QImage(size, QImage::Format_RGB32);
    PaintChart(drawing_, plImage->image);
    ++renderCount_;
    plImage->update();
    spVelocity->resize(drawing_.cursorWidth, std::max(drawing_.cursorHeight, 1));
    PlaceTimeLabels();
    // A chart without samples (a reset, a recording without telemetry) shows the start captions
    // again: the last recording's clock would stand over an empty chart.
    SetCaption(lbTM_START, drawing_.hasSamples ? drawing_.startTime : kEmptyStart);
    SetCaption(lbTM_END, drawing_.hasSamples ? drawing_.endTime : kEmptyEnd);
    lbTM_END->move(plImage->x() + plImage->width() - lbTM_END->width(), lbTM_END->y());
}

void ChartStrip::PlaceTimeLabels()
{
    for (int i = 1; i < 7; ++i)
        timeLabels[i]->hide();
    for (int k = 1; k <= static_cast<int>(drawing_.timeLabels.size()) && k < 7; ++k) {
        QLabel* label = timeLabels[k];
        SetCaption(label, drawing_.timeLabels[k - 1].caption);
        label->move(TimeLabelLeft(plImage->geometry(), drawing_.timeLabels[k - 1].anchorX, label->width()), label->y());
        label->show();
    }
}

void ChartStrip::MoveChartCursor(int index, bool moveCursor, bool showG, const TelemetryTrack& track,
                                 std::size_t lineCount)
{
    currentSampleIndex_ = index;
    if (moveCursor)
        spVelocity->move(CursorLeft(index, plImage->width(), chartSamples_, spVelocity->width()), spVelocity->y());
    if (showG) {
        const int last = std::max(UsableSamples(track) - 1, 0);
        SetCaption(lbAcceleration, QString::fromStdString(track.samples[std::clamp(index, 0, last)].gText));
        lbAcceleration->move(GLabelLeft(index, spVelocity->x(), lineCount, lbAcceleration->width()), lbAcceleration->y());
    }
}

void ChartStrip::Place(const StripLayout& l)
{
    plImage->setGeometry(l.plImage);
    for (int i = 0; i < 5; ++i) {
        gLabels[i]->move(l.gLabels[i]);
        speedLabels[i]->move(l.speedLabels[i]);
    }
    for (QLabel* t : timeLabels)
        t->move(t->x(), l.timeTop);
    timeLabels[0]->move(l.timeZeroLeft, l.timeTop);
    lbTM_START->move(l.clockStart);
    lbTM_END->move(l.clockEnd);
    spVelocity->move(spVelocity->x(), l.cursorTop);
    lbAcceleration->move(lbAcceleration->x(), l.cursorTop + l.gLabelTop);
    Redraw();
}

void ChartStrip::SetEvents(std::vector<TelemetryEvent> events) { events_ = std::move(events); }

void ChartStrip::SetSpeedInMph(bool mph)
{
    if (mph_ == mph)
        return;
    mph_ = mph;
    Redraw();
}

void ChartStrip::Redraw()
{
    spVelocity->show();
    lbAcceleration->show();
    DrawChart(track_, duration_);
    MoveChartCursor(currentSampleIndex_, true, false, track_ ? *track_ : ClearedTrack(), 0);
}

} // namespace korvane
