// The sample-by-sample walk over the damaged media data.
#include "mp4repair/media_walk.h"

#include <algorithm>
#include <memory>

#include "mp4repair/audio_probe.h"
#include "mp4repair/sample_checks.h"

namespace korvane::repair {

namespace {

constexpr uint64_t kWindowBytes = 4u << 20;
constexpr uint64_t kAudioWindow = 64u << 10;
// The walk asks whether to go on after this many bytes or samples, whichever comes first: often
// enough that a stop is honoured within a fraction of a second even on the slowest input.
constexpr uint64_t kReportEvery = 1u << 20;
constexpr uint32_t kReportSteps = 4096;
constexpr uint64_t kResyncBytes = 64u << 20;  // how far a skip looks for the next key frame
constexpr uint64_t kResyncReportEvery = 1u << 20;  // a skip asks whether to go on this often

// A window of the file, refilled when a request falls outside it.
class Window {
 public:
  explicit Window(const InputFile& in) : in_(in) {}
  const uint8_t* Get(uint64_t pos, uint64_t n, uint64_t end) {
    if (pos >= begin_ && n <= buffer_.size() && pos - begin_ <= buffer_.size() - n) return buffer_.data() + (pos - begin_);
    if (pos > end || n > end - pos) return nullptr;
    const uint64_t want = std::min(std::max(n, kWindowBytes), end - pos);
    buffer_.resize(want);
    if (in_.ReadAt(pos, buffer_.data(), want) != want) {
      buffer_.clear();
      return nullptr;
    }
    begin_ = pos;
    return buffer_.data();
  }

  // What the window holds now.
  void View(const uint8_t*& data, uint64_t& begin, uint64_t& end) const {
    data = buffer_.empty() ? nullptr : buffer_.data();
    begin = begin_;
    end = begin_ + buffer_.size();
  }

 private:
  const InputFile& in_;
  Bytes buffer_;
  uint64_t begin_ = 0;
};

// Which track the camera writes next, after the reference's chunk order.
class PatternCursor {
 public:
  explicit PatternCursor(const std::vector<ChunkStep>& p) : p_(p) {
    if (!p_.empty()) left_ = p_[0].samples;
  }
  int Expected() const { return p_.empty() ? -1 : p_[index_].track; }
  void Took(int track) {
    if (p_.empty()) return;
    if (p_[index_].track != track) {
      size_t k = 0;
      while (k < p_.size() && p_[(index_ + k) % p_.size()].track != track) ++k;
      if (k == p_.size()) return;
      index_ = (index_ + k) % p_.size();
      left_ = p_[index_].samples;
    }
    if (left_ > 0) --left_;
    if (left_ == 0) {
      index_ = (index_ + 1) % p_.size();
      left_ = p_[index_].samples;
    }
  }

 private:
  const std::vector<ChunkStep>& p_;
  size_t index_ = 0;
  uint32_t left_ = 0;
};

}  // namespace

uint64_t CutSlack(const Reference& ref) {
  uint64_t slack = 64u << 10;
  for (const TrackModel& t : ref.tracks) slack = std::max<uint64_t>(slack, uint64_t(t.maxSampleSize) * 4);
  return slack;
}

size_t WalkResult::Count(TrackKind kind, const Reference& ref) const {
  size_t n = 0;
  for (size_t t = 0; t < tracks.size() && t < ref.tracks.size(); ++t)
    if (ref.tracks[t].kind == kind) n += tracks[t].size();
  return n;
}

WalkResult WalkMedia(const InputFile& in, const std::vector<MediaRange>& media, const Reference& ref, uint64_t limit,
                     const WalkProgress& progress) {
  WalkResult result;
  const size_t trackCount = ref.tracks.size();
  result.tracks.resize(trackCount);
  for (const MediaRange& r : media) result.totalBytes += r.dataEnd - r.dataBegin;

  std::vector<VideoRules> rules(trackCount);
  std::vector<std::unique_ptr<AudioProbe>> probes(trackCount);
  for (size_t t = 0; t < trackCount; ++t) {
    const TrackModel& m = ref.tracks[t];
    rules[t].hevc = m.hevc;
    rules[t].lengthSize = m.nalLengthSize;
    rules[t].maxNalBytes = std::clamp<uint64_t>(uint64_t(m.maxSampleSize) * 4, 1u << 20, 64u << 20);
    if (m.kind == TrackKind::Audio) {
      if (m.codec != "mp4a") continue;
      probes[t] = std::make_unique<AudioProbe>();
      if (!probes[t]->Open(m.audioConfig, m.channels, m.sampleRate)) {
        result.problem = "the AAC decoder cannot be opened";
        return result;
      }
    }
  }

  Window window(in);
  ByteSource src;
  src.get = [&](uint64_t pos, uint64_t n) {
    const uint8_t* p = window.Get(pos, n, src.end);
    window.View(src.view, src.viewBegin, src.viewEnd);
    return p;
  };
  PatternCursor cursor(ref.pattern);
  const auto add = [&](int t, uint64_t at, uint64_t size, bool key) {
    result.tracks[size_t(t)].Add(at, uint32_t(size), key);
    result.coveredBytes += size;
    result.end = at + size;
    cursor.Took(t);
  };
  // A video or text sample starting at `pos`; returns its track (size and key in the outputs) or -1.
  const auto strict = [&](uint64_t pos, int preferred, uint64_t& size, bool& key) {
    for (int pass = 0; pass < 2; ++pass) {
      for (size_t t = 0; t < trackCount; ++t) {
        if ((pass == 0) != (int(t) == preferred)) continue;
        const TrackModel& m = ref.tracks[t];
        if (m.kind == TrackKind::Video && (m.codec.rfind("avc", 0) == 0 || m.hevc)) {
          const VideoSample v = CheckVideoSample(src, pos, rules[t]);
          if (v.size && v.size <= SampleList::kMostBytes) {
            size = v.size;
            key = v.keyFrame;
            return int(t);
          }
        } else if (m.kind == TrackKind::Text) {
          if ((size = CheckTextSample(src, pos)) != 0) {
            key = true;
            return int(t);
          }
        }
      }
    }
    return -1;
  };

  // The next key frame after `pos` whose access unit is followed by another sample; 0 when none.
  uint64_t walkedBefore = 0;  // media bytes of the ranges before the current one
  uint64_t rangeBegin = 0;
  // `end` is also where a quick test's limit ends the walk: a skip never looks past it.
  const auto resync = [&](uint64_t pos, uint64_t end) -> uint64_t {
    const uint64_t stop = std::min(end, pos + kResyncBytes);
    for (uint64_t p = pos + 1; p < stop; ++p) {
      if (progress && (p - pos) % kResyncReportEvery == 0 &&
          !progress(walkedBefore + (p - rangeBegin), result.totalBytes)) {
        result.cancelled = true;
        return 0;
      }
      for (size_t t = 0; t < trackCount; ++t) {
        if (ref.tracks[t].kind != TrackKind::Video) continue;
        const VideoSample v = CheckVideoSample(src, p, rules[t]);
        if (!v.size || !v.keyFrame) continue;
        uint64_t size = 0;
        bool key = false;
        if (strict(p + v.size, -1, size, key) >= 0) return p;
        for (size_t a = 0; a < trackCount; ++a) {
          if (!probes[a]) continue;
          const uint64_t n = std::min(kAudioWindow, end - (p + v.size));
          const uint8_t* bytes = src.get(p + v.size, n);
          if (bytes && !probes[a]->Frames(bytes, n, 2).empty()) return p;
        }
      }
    }
    return 0;
  };

  uint64_t walked = 0;
  uint64_t nextReport = 0;
  uint32_t steps = 0;
  for (const MediaRange& range : media) {
    src.end = range.dataEnd;
    if (limit && walked >= limit) break;
    uint64_t pos = range.dataBegin;
    walkedBefore = walked;
    rangeBegin = range.dataBegin;
    bool stuck = false;
    while (pos < range.dataEnd) {
      if (limit && walked + (pos - range.dataBegin) >= limit) break;
      if (progress && (pos >= nextReport || ++steps >= kReportSteps)) {
        nextReport = pos + kReportEvery;
        steps = 0;
        if (!progress(walked + (pos - range.dataBegin), result.totalBytes)) {
          result.cancelled = true;
          return result;
        }
      }
      const int expected = cursor.Expected();
      uint64_t size = 0;
      bool key = false;
      const int t = strict(pos, expected, size, key);
      if (t >= 0) {
        add(t, pos, size, key);
        pos += size;
        continue;
      }
      // Audio: every frame that decodes, up to the next video or text sample.
      bool taken = false;
      for (int pass = 0; pass < 2 && !taken; ++pass) {
        for (size_t a = 0; a < trackCount && !taken; ++a) {
          if (!probes[a] || (pass == 0) != (int(a) == expected)) continue;
          const uint64_t n = std::min(kAudioWindow, range.dataEnd - pos);
          const uint8_t* p = src.get(pos, n);
          if (!p) continue;
          const std::vector<uint32_t> frames = probes[a]->Frames(p, n, 1024);
          for (size_t i = 0; i < frames.size(); ++i) {
            uint64_t s2 = 0;
            bool k2 = false;
            if (frames[i] == 0 || (i > 0 && strict(pos, -1, s2, k2) >= 0)) break;
            add(int(a), pos, frames[i], true);
            pos += frames[i];
            taken = true;
          }
        }
      }
      if (!taken) {
        // A quick test looks for the next key frame only up to its limit: finding none there, it
        // ends as stuck, as the whole walk would without a later key frame.
        const uint64_t limitAt = limit ? range.dataBegin + (limit - walked) : range.dataEnd;
        const uint64_t next = resync(pos, std::min(range.dataEnd, limitAt));
        if (result.cancelled) return result;
        if (next == 0) {
          stuck = true;
          break;
        }
        result.skipped.push_back({pos, next - pos});
        pos = next;
      }
    }
    walked += pos - range.dataBegin;
    if (stuck) {
      result.stoppedAt = pos;
      result.stuck = true;
      break;
    }
    result.stoppedAt = pos;
  }
  return result;
}

}  // namespace korvane::repair
