// The presentation times of a recovered video track, from its own pictures: the first bytes of
// every sample are read for its parameter sets and first slice header (picture_order.h).
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "mp4repair/media_walk.h"
#include "mp4repair/picture_order.h"
#include "mp4repair/reference.h"

namespace korvane::repair {

// `samples` in decode order (file order) from `in`; `skipped` the stretches the walk could not
// read (offset, bytes): decoding starts anew after each. Empty offsets for a track that is not
// H.264/H.265 video or whose pictures are shown in decode order. `keepGoing` (when given) is asked
// every few thousand samples; when it says no, the result is empty and `*stopped` is set.
Composition PresentationTimes(const InputFile& in, const TrackModel& model, const SampleList& samples,
                              const std::vector<std::pair<uint64_t, uint64_t>>& skipped = {},
                              const std::function<bool()>& keepGoing = {}, bool* stopped = nullptr);

}  // namespace korvane::repair
