// The telemetry display wired into the viewer; see telemetry_hookup.h.
#include "app/telemetry_hookup.h"

#include <QFrame>
#include <QLabel>

#include "player/playback_channel.h"
#include "library/skin_scroll_bar_widget.h"
#include "player/playback_controller.h"
#include "player/recording_opener.h"
#include "player/seek_bar.h"
#include "telemetry_view/chart_strip.h"
#include "telemetry_view/seek_marker_strip.h"
#include "telemetry_view/telemetry_display.h"
#include "ui/main_window.h"
#include "ui/text_catalogue.h"
#include "ui/text_tables.h"
#include "ui/native_overlay.h"

namespace korvane {

TelemetryHookup::TelemetryHookup(TfrmMain& window, PlaybackController& player, SeekBar& seekBar,
                                 SkinScrollBarWidget& seekWidget, QLabel* plTime,
                                 double logicalScale, int scalePercent)
    : QObject(&window), window_(window), seekWidget_(seekWidget), player_(player)
{
    display_ = new TelemetryDisplay(window_.plCurve, logicalScale, scalePercent);

    // The time of the picture under the seek thumb, over the video while the thumb is dragged;
    // a native window like plTime so that it stays above the kernels' video windows.
    plTimeThumb_ = new QLabel(window_.plVCRBackGround);
    plTimeThumb_->setObjectName(QStringLiteral("plTimeThumb"));
    plTimeThumb_->setTextFormat(Qt::PlainText);
    plTimeThumb_->setAttribute(Qt::WA_NativeWindow);
    plTimeThumb_->setAttribute(Qt::WA_DontCreateNativeAncestors);
    plTimeThumb_->setAutoFillBackground(true);
    plTimeThumb_->setPalette(plTime->palette());
    plTimeThumb_->setFont(plTime->font());
    plTimeThumb_->hide();
    KeepOverlaySurfaceWithWindow(plTimeThumb_);
    display_->SetTimePanel(plTime);
    display_->SetThumbLabel(plTimeThumb_, *this);
    connect(&seekBar, &SeekBar::draggingChanged, display_, &TelemetryDisplay::SetSeekDragging);

    // The chart is the seek bar's fourth surface; each press and move carries its span.
    ChartStrip& chart = display_->Chart();
    auto spanOf = [&chart] { return ChartSpan{chart.plImage->width(), chart.chartSamples()}; };
    connect(chart.plImage, &ChartImage::pressed, &seekBar,
            [&seekBar, spanOf](Qt::MouseButtons buttons, int x) { seekBar.ChartPress(buttons, x, spanOf()); });
    connect(chart.plImage, &ChartImage::moved, &seekBar,
            [&seekBar, spanOf](Qt::MouseButtons buttons, int x) { seekBar.ChartMove(buttons, x, spanOf()); });
    connect(chart.plImage, &ChartImage::released, &seekBar, &SeekBar::StartRelease);
    display_->SetChartEnabled(false);
    chart.markerText = [this](const TelemetryEvent& e) { return MarkerText(e); };

    // The same events as triangles on the seek bar, where the bar's thumb stands at their time.
    seekMarkers_ = new SeekMarkerStrip(&seekWidget_);
    seekMarkers_->span = [this] {
        const SkinScrollBar& bar = seekWidget_.Bar();
        return SeekBarSpan{bar.track.left(), bar.track.width(), bar.thumb.width(), bar.maxValue - bar.minValue};
    };
    seekMarkers_->markerText = chart.markerText;
}

void TelemetryHookup::Redraw()
{
    display_->Redraw();
    seekMarkers_->update();
}

void TelemetryHookup::DrawChart(const PlaybackChannel& channel)
{
    const int samples = UsableSamples(channel.track);
    track_ = &channel.track;
    std::vector<TelemetryEvent> events =
        samples > 0 && channel.ref.IsValid()
            ? DetectEvents(channel.track, samples, thresholds_, IsEventRecordingName(channel.ref.name.toStdString()))
            : std::vector<TelemetryEvent>();
    seekMarkers_->SetEvents(events);
    display_->Chart().SetEvents(std::move(events));
    display_->DrawChart(&channel.track, channel.duration);
}

const std::vector<TelemetryEvent>& TelemetryHookup::Events() const { return display_->Chart().Events(); }

QString TelemetryHookup::MarkerText(const TelemetryEvent& e) const
{
    const char* key = e.kind == EventKind::GForce ? keys::kEventG
                      : e.kind == EventKind::HardBraking ? keys::kEventBraking
                                                         : keys::kEventTrigger;
    QString clock = track_ ? QString::fromStdString(CameraClockAt(*track_, UsableSamples(*track_), e.sample))
                           : QString();
    clock = clock.size() > 11 ? clock.mid(11) : QStringLiteral("+%1 s").arg(e.sample / 10.0, 0, 'f', 1);
    const bool mph = display_->SpeedInMph();
    const QString value = e.kind == EventKind::HardBraking
                              ? QStringLiteral("%1%2/s").arg(SpeedInUnit(e.value, mph), 0, 'f', 1)
                                    .arg(QLatin1String(SpeedUnitText(mph)))
                              : QStringLiteral("%1 G").arg(e.value, 0, 'f', 2);
    return CatalogueText(key) + QStringLiteral("  ") + clock + QStringLiteral("  ") + value;
}

void TelemetryHookup::ShowAt(const PlayPosition& at)
{
    if (!at.sampleIndex || !at.track)
        return;
    TelemetrySource source;
    source.track = at.track;
    source.lines = at.lines;
    source.gpsSeen = at.gpsSeen;
    display_->ShowSample(source, *at.sampleIndex, at.moveCursor, at.showG);
}

QRect TelemetryHookup::GlobalRect() const
{
    QFrame* thumb = seekWidget_.Thumb();
    return thumb ? QRect(thumb->mapToGlobal(QPoint(0, 0)), thumb->size()) : QRect();
}

void TelemetryHookup::ShowNoFix() { display_->ShowNoFix(); }
void TelemetryHookup::SetChartEnabled(bool enabled) { display_->SetChartEnabled(enabled); }

} // namespace korvane
