#pragma once
// Connects the telemetry display (telemetry_view/) to today's viewer: builds it in plCurve,
// makes its chart the seek bar's chart surface, and answers the player's chart and read-out
// hooks from the current playback channel.
#include <QObject>
#include <cstdint>

class QLabel;

namespace korvane {

class PlaybackController;
struct PlaybackChannel;
class SeekBar;
class SkinScrollBarWidget;
class TelemetryDisplay;
class TfrmMain;

class TelemetryHookup : public QObject {
    Q_OBJECT
public:
    TelemetryHookup(TfrmMain& window, PlaybackController& player, SeekBar& seekBar, SkinScrollBarWidget& seekWidget,
                    QLabel* plTime, double logicalScale, int scalePercent);

    // The strip's parts stand where the window layout put them: the chart is drawn again.
    void Redraw();
    void DrawChart(const PlaybackChannel& channel);
    void ShowAt(std::int64_t tenths, bool cursor, bool g, bool map);
    void ShowNoFix();
    void SetChartEnabled(bool enabled);

    TelemetryDisplay& Display() { return *display_; }
    QLabel* plTimeThumb() const { return plTimeThumb_; }

private:
    TfrmMain& window_;
    PlaybackController& player_;
    TelemetryDisplay* display_ = nullptr;
    QLabel* plTimeThumb_ = nullptr;
};

} // namespace korvane
