// Reading the pictures' order from the recovered samples.
#include "mp4repair/presentation_times.h"

#include <algorithm>

namespace korvane::repair {

namespace {

// Parameter sets and the first slice header lie in the first bytes of an access unit; a camera's
// SEI messages ahead of them are short.
constexpr uint64_t kHeadBytes = 16u << 10;
constexpr uint32_t kMostReorderFrames = 16;  // the most a reference's edit may delay pictures

}  // namespace

Composition PresentationTimes(const InputFile& in, const TrackModel& model, const std::vector<FoundSample>& samples,
                              const std::vector<std::pair<uint64_t, uint64_t>>& skipped) {
  if (model.kind != TrackKind::Video || (!model.hevc && model.codec.rfind("avc", 0) != 0) || samples.empty())
    return {};
  PictureOrder order(model.hevc);
  for (const Bytes& ps : model.parameterSets)
    if (!ps.empty()) order.ParameterSet(ps.data(), ps.size());
  std::vector<PictureCount> counts;
  counts.reserve(samples.size());
  Bytes head;
  size_t gap = 0;  // the next skipped stretch
  for (size_t i = 0; i < samples.size(); ++i) {
    bool restart = i == 0;
    while (gap < skipped.size() && skipped[gap].first < samples[i].offset) {
      restart = restart || i > 0;
      ++gap;
    }
    head.resize(std::min<uint64_t>(samples[i].size, kHeadBytes));
    const uint64_t got = in.ReadAt(samples[i].offset, head.data(), head.size());
    counts.push_back(order.AccessUnit(head.data(), size_t(got), model.nalLengthSize, restart));
  }
  const uint32_t delta = model.sampleDelta ? model.sampleDelta : 1;
  // The camera delays its pictures as in the reference (its edit), when that is a sane delay.
  const uint32_t minShift = model.hasCompositionOffsets && model.editMediaTime <= uint64_t(kMostReorderFrames) * delta
                                ? uint32_t(model.editMediaTime)
                                : 0;
  return ComposeOffsets(counts, delta, minShift);
}

}  // namespace korvane::repair
