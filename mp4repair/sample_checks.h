// Recognising one sample of the camera's tracks in raw media data: a video access unit of
// length-prefixed H.264/H.265 NAL units, or a timed-text sample (a 2-byte length and a printable
// line). Audio frames need the decoder (audio_probe.h).
#pragma once

#include <cstdint>
#include <functional>

namespace korvane::repair {

// Bytes of the media data from a position on, fetched on demand (the walk holds a window of the
// file). `Get(pos, n)` returns a pointer to n bytes at pos or nullptr past the end of the data.
struct ByteSource {
  std::function<const uint8_t*(uint64_t pos, uint64_t n)> get;
  uint64_t end = 0;  // end of the usable data
  // Bytes [viewBegin, viewEnd) held in memory at `view` (when set), read without calling `get`:
  // the checks look at a few bytes at every position of the data.
  const uint8_t* view = nullptr;
  uint64_t viewBegin = 0, viewEnd = 0;
  const uint8_t* Get(uint64_t pos, uint64_t n) const {
    if (view && pos >= viewBegin && n <= viewEnd - viewBegin && pos - viewBegin <= viewEnd - viewBegin - n)
      return view + (pos - viewBegin);
    return get(pos, n);
  }
};

struct VideoRules {
  bool hevc = false;
  int lengthSize = 4;
  uint64_t maxNalBytes = 8u << 20;
  // NAL units one access unit may hold: a camera writes a few slices and SEI messages, while a
  // chain of small units that never ends a picture would otherwise be walked again from every
  // position a resync tries.
  int maxNalUnits = 1024;
  int maxUnitsBeforePicture = 16;  // parameter sets, delimiters and SEI ahead of the first slice
};

struct VideoSample {
  uint64_t size = 0;   // 0: no access unit starts here
  bool keyFrame = false;
};

// The access unit starting at `pos`: NAL units with sane headers and lengths, starting with one
// that may begin a picture, up to the NAL unit that begins the next picture or to bytes that are
// no NAL unit. `stopAt` (when not 0) is a position where the caller expects another track's
// sample: the unit ends there once it holds a picture.
VideoSample CheckVideoSample(const ByteSource& src, uint64_t pos, const VideoRules& rules,
                             uint64_t stopAt = 0);

// The length of the timed-text sample at `pos` (2-byte length and that many printable bytes, the
// last ones may be NULs), or 0.
uint64_t CheckTextSample(const ByteSource& src, uint64_t pos);

}  // namespace korvane::repair
