#pragma once
// What the player needs from the rest of the viewer: the shell's busy state and the boxes it
// never shows itself. The grids are reached through the library, the displays through the
// controller's signals. Every call comes on the main thread.

class QString;

namespace korvane {

struct PlaybackChannel;

class PlayerHost {
public:
    virtual ~PlayerHost() = default;

    virtual bool ViewerIdle() const = 0;
    virtual void SetViewerIdle(bool idle) = 0;
    virtual bool QuitConfirmed() const = 0;
    // tmProcessFinish: sets viewerIdle back after 500 ms.
    virtual void StartProcessFinish() = 0;
    // Tells the user that the recording being opened could not be played.
    virtual void ReportPlaybackFailed(const PlaybackChannel& channel) = 0;
    // Tells the user that the kernel playing the channel's recording has gone.
    virtual void ReportPlaybackLost(const PlaybackChannel& channel) = 0;
    // Tells the user why a recording could not be opened (a catalogue text, and the caption of
    // the window it belongs to).
    virtual void ReportOpenFailed(const QString& caption, const QString& text) = 0;
};

} // namespace korvane
