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
                      bool playing)
{
    SyncStep step;
    const std::int64_t drift = otherPosition - target.position;   // positive: ahead
    const bool within = static_cast<double>(std::llabs(drift)) <= frame100ns;
    // A channel held at one of its ends is where it should be once it shows that end's frame.
    if ((target.beforeStart || target.pastEnd) && (within || (target.pastEnd && drift > 0)))
        return step;
    if (within)
        return step;
    if (!playing || target.beforeStart || target.pastEnd || std::llabs(drift) > kSeekDrift100ns) {
        step.action = SyncAction::Seek;
        step.position = target.position;
        return step;
    }
    step.action = SyncAction::Rate;
    const double change = static_cast<double>(drift) / static_cast<double>(kCatchUp100ns);
    step.rate = 1.0 - std::clamp(change, -kMaxRateChange, kMaxRateChange);
    return step;
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
