// Reading the pictures' order from the recovered samples.
#include "mp4repair/presentation_times.h"

#include <algorithm>

namespace korvane::repair {

namespace {

// Parameter sets and the first slice header lie in the first bytes of an access unit; a camera's
// SEI messages ahead of them are short.
constexpr uint64_t kHeadBytes = 16u << 10;
constexpr uint32_t kMostReorderFrames = 16;  // the most a reference's edit may delay pictures
constexpr uint64_t kReadAhead = 4u << 20;     // the samples' heads are read through a window this big
constexpr size_t kAskEvery = 4096;            // samples between two looks at keepGoing

// The first bytes of samples that come in file order, read a window at a time: millions of tiny
// samples cost a few large reads, not a read each.
class HeadReader {
 public:
  explicit HeadReader(const InputFile& in) : in_(in) {}
  // Up to `n` bytes at `pos` (fewer at the end of the file); `got` says how many.
  const uint8_t* Get(uint64_t pos, uint64_t n, uint64_t& got) {
    if (pos < begin_ || pos - begin_ + n > filled_) {
      buffer_.resize(std::max(n, kReadAhead));
      begin_ = pos;
      filled_ = in_.ReadAt(pos, buffer_.data(), buffer_.size());
    }
    got = std::min(n, filled_ - (pos - begin_));
    return buffer_.data() + (pos - begin_);
  }

 private:
  const InputFile& in_;
  Bytes buffer_;
  uint64_t begin_ = 0, filled_ = 0;
};

}  // namespace

Composition PresentationTimes(const InputFile& in, const TrackModel& model, const SampleList& samples,
                              const std::vector<std::pair<uint64_t, uint64_t>>& skipped,
                              const std::function<bool()>& keepGoing, bool* stopped) {
  if (stopped) *stopped = false;
  if (model.kind != TrackKind::Video || (!model.hevc && model.codec.rfind("avc", 0) != 0) || samples.empty())
    return {};
  PictureOrder order(model.hevc);
  for (const Bytes& ps : model.parameterSets)
    if (!ps.empty()) order.ParameterSet(ps.data(), ps.size());
  std::vector<PictureCount> counts;
  counts.reserve(samples.size());
  HeadReader reader(in);
  size_t gap = 0;  // the next skipped stretch
  size_t i = 0;
  bool stop = false;
  samples.ForEach([&](const FoundSample& sample) {
    if (stop) return;
    if (keepGoing && i % kAskEvery == kAskEvery - 1 && !keepGoing()) {
      stop = true;
      return;
    }
    bool restart = i == 0;
    while (gap < skipped.size() && skipped[gap].first < sample.offset) {
      restart = restart || i > 0;
      ++gap;
    }
    uint64_t got = 0;
    const uint8_t* head = reader.Get(sample.offset, std::min<uint64_t>(sample.size, kHeadBytes), got);
    counts.push_back(order.AccessUnit(head, size_t(got), model.nalLengthSize, restart));
    ++i;
  });
  if (stop) {
    if (stopped) *stopped = true;
    return {};
  }
  const uint32_t delta = model.sampleDelta ? model.sampleDelta : 1;
  // The camera delays its pictures as in the reference (its edit), when that is a sane delay.
  const uint32_t minShift = model.hasCompositionOffsets && model.editMediaTime <= uint64_t(kMostReorderFrames) * delta
                                ? uint32_t(model.editMediaTime)
                                : 0;
  return ComposeOffsets(counts, delta, minShift);
}

}  // namespace korvane::repair
