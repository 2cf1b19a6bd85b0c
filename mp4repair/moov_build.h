// The new moov of a repaired recording: the reference's moov with every box kept (sample
// descriptions, handlers, user data) except the sample tables, which are written anew from the
// samples the walk found, and the durations, which follow the new tables.
#pragma once

#include <cstdint>
#include <vector>

#include "mp4repair/media_walk.h"
#include "mp4repair/picture_order.h"
#include "mp4repair/reference.h"

namespace korvane::repair {

// `samples` holds one list per reference track (file order); `newOffset(old)` maps a sample's
// offset in the damaged file to its offset in the new one. Tracks without samples are left out.
// Durations: the reference's most common sample duration of each track. `composition` (one per
// track, or fewer) gives a video track its composition offsets and its edit's media time; a track
// without offsets gets no ctts and an edit that starts at 0.
Bytes BuildMoov(const Reference& ref, const std::vector<std::vector<FoundSample>>& samples, int64_t offsetShift,
                const std::vector<Composition>& composition = {});

}  // namespace korvane::repair
