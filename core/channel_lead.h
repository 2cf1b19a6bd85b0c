#pragma once
// How far one channel's recording of a moment (front, rear, interior) starts after another's.
// The player keeps the channels in step with it and the export cuts every channel's clip to the
// same camera-clock span with it. Plain arithmetic, in 100 ns units.
#include <cstdint>

namespace korvane {

// What is known of a channel's recording before it plays: its start time by the camera's clock
// (from its name, whole seconds) and its track's duration.
struct ChannelClock {
    std::int64_t startSeconds = 0;
    std::int64_t duration100ns = 0;
};

constexpr std::int64_t kUnitsPerSecond100ns = 10000000;

// How far a channel's recording starts after the main one's (100 ns units; negative when it
// started before). The names give whole seconds. A camera ends the files of all channels of a
// moment at the same instant, so the difference of the durations gives the same offset to the
// frame; it is taken when it agrees with the names within a second, else the names' offset is.
std::int64_t ChannelLead(const ChannelClock& main, const ChannelClock& other);

} // namespace korvane
