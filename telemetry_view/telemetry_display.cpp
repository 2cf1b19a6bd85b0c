// The telemetry display; see telemetry_display.h.
#include "telemetry_view/telemetry_display.h"

#include <QLabel>

#include "telemetry_view/chart_strip.h"
#include "telemetry_view/gps_pictures.h"
#include "telemetry_view/readout_model.h"

namespace korvane {
namespace {

const QColor kFixTitle(64, 213, 240);
const QColor kNoFixTitle(170, 215, 240);
const QColor kStrip(93, 93, 93);
const QColor kNoSignalRed(255, 40, 40);

QLabel* MakeText(QWidget* parent, const char* name, const QString& text, int points, const QColor& colour,
                 bool bold = false)
{
    auto* label = new QLabel(parent);
    // The card's texts (the raw telemetry line among them) are shown as they stand, never as
    // markup: a rich-text label would load the pictures a line names.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("Arial"), points);
    font.setBold(bold);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
    label->adjustSize();
    return label;
}

void SetTextColour(QLabel* label, const QColor& colour)
{
    QPalette pal = label->palette();
    if (pal.color(QPalette::WindowText) == colour)
        return;
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

QWidget* MakePanel(QWidget* parent, const char* name)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, kStrip);
    panel->setPalette(pal);
    return panel;
}

QSize TextSize(const QLabel* label, const QString& text)
{
    return label->fontMetrics().size(0, text) + QSize(2 * label->margin(), 2 * label->margin());
}

} // namespace

TelemetryDisplay::TelemetryDisplay(QWidget* plCurve, double displayScale, int scalePercent)
    : QObject(plCurve), plCurve_(plCurve), scale_(displayScale), scalePercent_(scalePercent)
{
    chart_ = new ChartStrip(plCurve, scalePercent);
    lbKmh = MakeText(plCurve, "lbKmh", QStringLiteral(" km/h"), 15, Qt::white);
    lbSpeed = MakeText(plCurve, "lbSpeed", kNoSpeedText, 40, Qt::white);
    lbSpeed->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    lbSpeed->resize(TextSize(lbSpeed, QStringLiteral("888")));

    plGPS = MakePanel(plCurve, "plGPS");
    imgGPS = new QLabel(plGPS);
    imgGPS->setObjectName(QStringLiteral("imgGPS"));
    lbGPS = MakeText(imgGPS, "lbGPS", QStringLiteral("GPS"), 16, kNoFixTitle, true);
    lbGPS->setAlignment(Qt::AlignCenter);
    plGPS_YES = new QLabel(plGPS);
    plGPS_YES->setObjectName(QStringLiteral("plGPS_YES"));
    plGPS_NO = MakePanel(plGPS, "plGPS_NO");
    imgNoSignal_ = new QLabel(plGPS_NO);
    imgNoSignal_->setObjectName(QStringLiteral("imgNoSignal"));
    lbNo_ = MakeText(plGPS_NO, "lbGPS_NO_STATUS1", QStringLiteral("NO"), 9, kNoSignalRed, true);
    lbSignal_ = MakeText(plGPS_NO, "lbGPS_NO_STATUS2", QStringLiteral("SIGNAL"), 9, kNoSignalRed, true);
    plGPS_YES->hide();
    plGPS_NO->show();

    plSpecial = MakePanel(plCurve, "plSpecial");
    lbSubtitle = MakeText(plSpecial, "lbSubtitle", QString(), 9, Qt::white);
    plSpecial->hide();
}

void TelemetryDisplay::Layout()
{
    ChartStrip& c = *chart_;
    StripLabelSizes sz;
    sz.timeLabel = c.timeLabels[0]->size();
    sz.timeLabel05 = TextSize(c.timeLabels[5], QStringLiteral("50"));
    sz.clockLabel = c.lbTM_START->size();
    sz.clockEnd = c.lbTM_END->size();
    sz.axisLabel = c.gLabels[4]->size();
    sz.speedAxis80 = c.speedLabels[4]->size();
    sz.kmh = lbKmh->size();
    sz.speed = lbSpeed->size();
    layout_ = ComputeStripLayout(plCurve_->size(), scale_, scalePercent_, sz);

    lbKmh->setGeometry(layout_.kmh);
    lbSpeed->setGeometry(layout_.speed);
    plGPS->setGeometry(layout_.plGPS);
    imgGPS->setGeometry(layout_.imgGPS);
    plGPS_YES->setGeometry(layout_.gpsPanel);
    plGPS_NO->setGeometry(layout_.gpsPanel);
    imgNoSignal_->setGeometry(plGPS_NO->rect());
    chart_->Place(layout_);
    PlaceInsides();
}

void TelemetryDisplay::Redraw()
{
    // The window layout writes the km/h caption; the unit chosen wins.
    lbKmh->setText(QLatin1String(SpeedUnitText(mph_)));
    PlaceInsides();
    chart_->Redraw();
}

void TelemetryDisplay::PlaceInsides()
{
    lbGPS->setGeometry(imgGPS->rect());
    const int half = plGPS_NO->height() / 2;
    lbNo_->setGeometry(0, 2, plGPS_NO->width(), half - 2);
    lbSignal_->setGeometry(0, half, plGPS_NO->width(), half - 2);
    lbNo_->setAlignment(Qt::AlignCenter);
    lbSignal_->setAlignment(Qt::AlignCenter);
    PaintPictures();
    // The diagnostics strip sits on the clock row, between the two clock labels.
    const QRect start = chart_->lbTM_START->geometry();
    const int left = start.right() + 1 + 10;
    plSpecial->setGeometry(left, 0, std::max(chart_->lbTM_END->x() - 10 - left, 10), start.height());
    lbSubtitle->setGeometry(plSpecial->rect());
}

void TelemetryDisplay::PaintPictures()
{
    imgGPS->setPixmap(PaintGpsBadge(imgGPS->size()));
    plGPS_YES->setPixmap(PaintGpsSymbol(plGPS_YES->size()));
    imgNoSignal_->setPixmap(PaintNoSignal(imgNoSignal_->size()));
}

void TelemetryDisplay::DrawChart(const TelemetryTrack* track, std::int64_t duration100ns)
{
    chart_->DrawChart(track, duration100ns);
}

void TelemetryDisplay::ShowTelemetryAt(const TelemetrySource& source, std::int64_t positionTenths, bool moveCursor,
                                       bool showG)
{
    if (!source.track)
        return;
    static const std::vector<std::string> noLines;
    const std::vector<std::string>& lines = source.lines ? *source.lines : noLines;
    const std::optional<int> index = SampleIndexAt(positionTenths, lines.size(), source.durationTenths, *source.track);
    if (index)
        ShowSample(source, *index, moveCursor, showG);
}

void TelemetryDisplay::SetSpeedInMph(bool mph)
{
    if (mph_ == mph)
        return;
    mph_ = mph;
    lbKmh->setText(QLatin1String(SpeedUnitText(mph)));
    chart_->SetSpeedInMph(mph);
    // The same moment in the new unit at once, also while paused; without a sample shown the
    // read-out stays empty.
    if (shown_) {
        static const std::vector<std::string> noLines;
        const std::vector<std::string>& lines = shown_->source.lines ? *shown_->source.lines : noLines;
        const Readout r = ReadoutAt(*shown_->source.track, lines, shown_->index, mph_);
        ShowReadout(r);
        // A sample without a speed of its own shows the speed of the last one before it that had
        // one (or no fix): that speed, in the new unit.
        std::optional<QString> speed = r.speed;
        for (int i = shown_->index - 1; !speed && i >= 0; --i)
            speed = ReadoutAt(*shown_->source.track, lines, i, mph_).speed;
        lbSpeed->setText(speed.value_or(kNoSpeedText));
    } else if (lbSpeed->text() != kNoSpeedText) {
        lbSpeed->setText(kNoSpeedText);
    }
}

void TelemetryDisplay::ShowSample(const TelemetrySource& source, int index, bool moveCursor, bool showG)
{
    if (!source.track)
        return;
    static const std::vector<std::string> noLines;
    const std::vector<std::string>& lines = source.lines ? *source.lines : noLines;
    chart_->MoveChartCursor(index, moveCursor, showG, *source.track, lines.size());
    if (source.gpsSeen) {
        ShowReadout(ReadoutAt(*source.track, lines, index, mph_));
        shown_ = ShownSample{source, index};
    }
    // The label on the thumb copies plTime, so it follows once plTime shows this sample.
    UpdateSeekThumbLabel(showG);
}

void TelemetryDisplay::ShowReadout(const Readout& r)
{
    if (lbSubtitle->text() != r.subtitle)
        lbSubtitle->setText(r.subtitle);
    if (r.speed && lbSpeed->text() != *r.speed)
        lbSpeed->setText(*r.speed);
    if (plTime_) {
        const QString text = r.dateTime.isEmpty() ? QString() : QStringLiteral(" ") + r.dateTime;
        if (plTime_->text() != text)
            plTime_->setText(text);
    }
    SetFixShown(r.fix);
}

void TelemetryDisplay::SetFixShown(bool fix)
{
    if (plGPS_YES->isVisibleTo(plGPS) != fix)
        plGPS_YES->setVisible(fix);
    if (plGPS_NO->isVisibleTo(plGPS) == fix)
        plGPS_NO->setVisible(!fix);
    SetTextColour(lbGPS, fix ? kFixTitle : kNoFixTitle);
}

void TelemetryDisplay::ShowNoFix()
{
    shown_.reset();
    SetFixShown(false);
    lbSpeed->setText(kNoSpeedText);
}

void TelemetryDisplay::SetChartEnabled(bool enabled) { chart_->SetEnabled(enabled); }

void TelemetryDisplay::SetSeekDragging(bool dragging)
{
    seekDragging_ = dragging;
    if (!dragging && plTimeThumb_)
        plTimeThumb_->hide();
}

void TelemetryDisplay::UpdateSeekThumbLabel(bool showLabel)
{
    if (!plTimeThumb_)
        return;
    const bool dragging = seekDragging_;
    if (!dragging && plTimeThumb_->isVisible())
        plTimeThumb_->hide();
    if (!showLabel || !thumb_)
        return;
    if (plTime_ && plTimeThumb_->text() != plTime_->text()) {
        plTimeThumb_->setText(plTime_->text());
        plTimeThumb_->adjustSize();
    }
    QWidget* parent = plTimeThumb_->parentWidget();
    const QRect thumb = thumb_->GlobalRect();
    const int left = parent ? parent->mapFromGlobal(QPoint(thumb.left() + thumb.width() / 2, 0)).x() : 0;
    const int top = parent ? parent->height() - plTimeThumb_->height() - 4 : 0;
    plTimeThumb_->move(left, top);
    // While the thumb is dragged the time of the picture under it rides on it.
    if (dragging && !plTimeThumb_->isVisible()) {
        plTimeThumb_->show();
        plTimeThumb_->raise();
    }
}

} // namespace korvane
