#pragma once
// What the playback controller needs from the rest of the viewer: the shell's idle flag, the
// grids of the recordings library and the telemetry displays. Every call comes on the main
// thread.
#include <cstdint>

namespace korvane {

struct PlaybackChannel;
class ThumbnailCell;

class PlayerHost {
public:
    virtual ~PlayerHost() = default;

    virtual bool ViewerIdle() const = 0;
    virtual void SetViewerIdle(bool idle) = 0;
    virtual bool QuitConfirmed() const = 0;

    // The grids.
    virtual void HighlightCell(ThumbnailCell* cell, bool scroll) = 0;
    virtual void ClearHighlight() = 0;
    virtual ThumbnailCell* NextCell(ThumbnailCell* cell) = 0;
    virtual void SetCellsReady(bool ready) = 0;
    virtual void SetFileBarsToTop() = 0;
    // Opens the recording of a cell in the current channel; true when its kernel was launched.
    virtual bool OpenRecordingFromCell(ThumbnailCell* cell) = 0;
    // Clears a channel's telemetry the way the viewer reset does.
    virtual void ClearChannelTelemetry(PlaybackChannel& channel) = 0;

    // The telemetry displays: chart, read-outs, maps. The seek thumb is the player's own.
    virtual void DrawChart(const PlaybackChannel& channel) = 0;
    virtual void ShowReadoutsAt(std::int64_t tenths, bool cursor, bool g, bool map) = 0;
    virtual void ShowNoFix() = 0;
    virtual void StartRouteMap() = 0;
    virtual void SetChartEnabled(bool enabled) = 0;
    // Tells the user that the recording being opened could not be played.
    virtual void ReportPlaybackFailed(const PlaybackChannel& channel) = 0;
};

} // namespace korvane
