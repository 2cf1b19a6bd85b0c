#include "core/channel_lead.h"

#include <cstdlib>

namespace korvane {

std::int64_t ChannelLead(const ChannelClock& main, const ChannelClock& other)
{
    const std::int64_t byNames = (other.startSeconds - main.startSeconds) * kUnitsPerSecond100ns;
    if (main.duration100ns <= 0 || other.duration100ns <= 0)
        return byNames;
    const std::int64_t byEnds = main.duration100ns - other.duration100ns;
    // The names are cut to whole seconds: the true offset lies within a second of theirs.
    return std::llabs(byEnds - byNames) < kUnitsPerSecond100ns ? byEnds : byNames;
}

} // namespace korvane
