#pragma once
// Keeping the channels of a moment (front, rear, interior) in step with the main one: where each
// other channel should stand for the main channel's position, what to do when it has drifted,
// and where its inset sits over the video panel. Plain arithmetic on kernel positions (100 ns
// units), no widgets and no kernels, so the player's tick only reads positions and acts.
#include "core/channel_lead.h"
#include "kernel/kernel_slot.h"

#include <QList>
#include <QRect>
#include <cstdint>

namespace korvane {

// The position of the other channel showing the main channel's instant, held between its first
// and its last frame: a channel that starts later waits on its first frame, one that ends
// earlier holds its last.
struct ChannelTarget {
    std::int64_t position = 0;
    bool beforeStart = false;   // the main channel's instant lies before this recording began
    bool pastEnd = false;       // ... after it ended
};
ChannelTarget TargetFor(std::int64_t mainPosition, std::int64_t lead, std::int64_t otherDuration,
                        double frame100ns);

// What the tick does about one other channel.
enum class SyncAction {
    None,        // where it should be (or holding at an end), at the speed it should play: nothing
    Seek,        // seek to `position` (paused, or too far off to catch up smoothly)
    Rate,        // play at `rateOffset` (tenths of a percent off normal speed; 0 back to normal)
};
struct SyncStep {
    SyncAction action = SyncAction::None;
    std::int64_t position = 0;
    int rateOffset = 0;
};

// Drift beyond this is corrected by a seek even while playing.
constexpr std::int64_t kSeekDrift100ns = 5000000;   // half a second
// A playing channel off by `drift` plays faster or slower by drift / kCatchUp100ns (half a
// second to catch up), within kMaxRateOffset. It goes back to normal speed once within a tenth
// of a frame, and a channel at normal speed is left alone while within a quarter of a frame.
constexpr std::int64_t kCatchUp100ns = 5000000;

// The step for a channel at `otherPosition` whose target is `target`; `frame100ns` is the main
// channel's frame interval and `rateOffset` the speed the channel's kernel plays at now. A
// channel held at an end is left alone; a paused one is moved by a seek when more than a frame
// off, and plays at normal speed when it next runs.
SyncStep NextSyncStep(const ChannelTarget& target, std::int64_t otherPosition, double frame100ns,
                      bool playing, int rateOffset = 0);

// Where a channel stands now: its reported position carried forward from the instant it was
// read (`ageMs` ago) at the speed it plays, while it runs. Reports older than two kernel passes
// are carried forward no further (a kernel that stalls does not move on by itself).
std::int64_t PositionNow(std::int64_t reported, std::int32_t ageMs, bool running, int rateOffset);

// Whether the other channel's kernel runs: only while the main one plays and the main
// channel's instant lies inside its recording; otherwise it holds the frame of its end.
inline bool ShouldRun(const ChannelTarget& target, bool mainPlaying)
{
    return mainPlaying && !target.beforeStart && !target.pastEnd;
}

// The insets of `count` other channels over a video panel of `panel` size: in its lower right
// corner, side by side in the order given, each a quarter of the panel's width with the panel's
// proportions. Three fit (a moment has at most three other channels); more are left out.
QList<QRect> InsetRects(const QSize& panel, int count);

} // namespace korvane
