#include "player/channel_sync.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace korvane {

ChannelTarget TargetFor(std::int64_t mainPosition, std::int64_t lead, std::int64_t otherDuration,
                        double frame100ns)
{
    ChannelTarget t;
    t.position = mainPosition - lead;
    // The last frame starts one frame before the end.
    const std::int64_t lastFrame =
        std::max<std::int64_t>(0, otherDuration - static_cast<std::int64_t>(std::ceil(frame100ns)));
    if (t.position < 0) {
        t.beforeStart = true;
        t.position = 0;
    } else if (t.position > lastFrame) {
        t.pastEnd = true;
        t.position = lastFrame;
    }
    return t;
}

SyncStep NextSyncStep(const ChannelTarget& target, std::int64_t otherPosition, double frame100ns,
                      bool playing, int rateOffset)
{
    SyncStep step;
    const std::int64_t drift = otherPosition - target.position;   // positive: ahead
    const double off = static_cast<double>(std::llabs(drift));
    const bool within = off <= frame100ns;
    // Not running (paused, or held at an end): normal speed for the next run, and a seek when
    // more than a frame off.
    const auto normalSpeed = [&] {
        if (rateOffset != 0) {
            step.action = SyncAction::Rate;
            step.rateOffset = 0;
        }
        return step;
    };
    // A channel held at one of its ends is where it should be once it shows that end's frame.
    if ((target.beforeStart || target.pastEnd) && (within || (target.pastEnd && drift > 0)))
        return normalSpeed();
    if (!playing || target.beforeStart || target.pastEnd || std::llabs(drift) > kSeekDrift100ns) {
        if (within)
            return normalSpeed();
        step.action = SyncAction::Seek;
        step.position = target.position;
        return step;
    }
    int wanted = static_cast<int>(std::lround(-static_cast<double>(drift) * 1000.0 / kCatchUp100ns));
    wanted = std::clamp(wanted, -kMaxRateOffset, kMaxRateOffset);
    if (off <= frame100ns / 10 || (rateOffset == 0 && off <= frame100ns / 4))
        wanted = 0;
    if (wanted != rateOffset) {
        step.action = SyncAction::Rate;
        step.rateOffset = wanted;
    }
    return step;
}

std::int64_t PositionNow(std::int64_t reported, std::int32_t ageMs, bool running, int rateOffset)
{
    constexpr std::int32_t kLongestCarryMs = 100;
    if (!running || ageMs <= 0)
        return reported;
    const double carried = std::min(ageMs, kLongestCarryMs) * 10000.0 * RateOfOffset(rateOffset);
    return reported + static_cast<std::int64_t>(std::llround(carried));
}

QList<QRect> InsetRects(const QSize& panel, int count)
{
    QList<QRect> rects;
    if (panel.width() < 4 || panel.height() < 4 || count <= 0)
        return rects;
    const int width = panel.width() / 4;
    const int height = std::max(1, width * panel.height() / panel.width());
    const int shown = std::min(count, 3);
    for (int i = 0; i < shown; ++i)
        rects << QRect(panel.width() - (shown - i) * width, panel.height() - height, width, height);
    return rects;
}

} // namespace korvane
