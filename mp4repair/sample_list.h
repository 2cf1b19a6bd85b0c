// The samples the walk recovered for one track, kept compactly: a hostile file of millions of
// tiny samples must not cost many times its size in memory. Each sample costs 4 bytes (its size,
// the key-frame flag in the top bit) and each run of samples that follow each other in the file
// 16 bytes more; both live in blocks that grow without copying what they hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace korvane::repair {

struct FoundSample {
  uint64_t offset = 0;  // in the damaged file
  uint32_t size = 0;
  bool key = false;
};

class SampleList {
 public:
  // The largest sample a list holds (the top bit of a size is the key-frame flag).
  static constexpr uint32_t kMostBytes = 0x7FFFFFFFu;

  // Appends a sample after the last one (offsets grow); false for a size of 0 or above kMostBytes.
  bool Add(uint64_t offset, uint32_t size, bool key);
  size_t size() const { return sizes_.size(); }
  bool empty() const { return sizes_.empty(); }
  // The samples in order.
  template <class F>
  void ForEach(F&& f) const {
    size_t run = 0;
    uint64_t at = 0;
    for (size_t i = 0; i < sizes_.size(); ++i) {
      if (run < runs_.size() && runs_[run].first == i) at = runs_[run++].offset;
      const uint32_t v = sizes_[i];
      const FoundSample s{at, v & kMostBytes, (v & ~kMostBytes) != 0};
      at += s.size;
      f(s);
    }
  }
  // Runs of samples that follow each other in the file, in order: f(offset, first index, count).
  template <class F>
  void ForEachRun(F&& f) const {
    for (size_t r = 0; r < runs_.size(); ++r)
      f(runs_[r].offset, runs_[r].first, (r + 1 < runs_.size() ? runs_[r + 1].first : sizes_.size()) - runs_[r].first);
  }
  size_t Runs() const { return runs_.size(); }

 private:
  struct Run {
    uint64_t first = 0;   // index of the run's first sample
    uint64_t offset = 0;  // its offset in the file
  };
  std::deque<uint32_t> sizes_;
  std::deque<Run> runs_;
  uint64_t end_ = 0;  // just after the last sample
};

}  // namespace korvane::repair
