// NAL unit and timed-text checks used by the walk over the damaged media data.
#include "mp4repair/sample_checks.h"

#include "mp4repair/box_io.h"

namespace korvane::repair {

namespace {

struct Nal {
  uint64_t length = 0;  // payload bytes after the prefix
  int type = -1;
  bool vcl = false;
  bool startsPicture = false;  // a unit that can only open a new access unit
  bool firstSlice = false;     // a picture's first slice
  bool key = false;
};

// Reads the NAL unit at `pos`; false when its prefix or header is not sane.
bool ReadNal(const ByteSource& src, uint64_t pos, const VideoRules& r, Nal& nal) {
  const int header = r.hevc ? 2 : 1;
  const uint64_t need = uint64_t(r.lengthSize) + header + 1;
  if (pos > src.end || src.end - pos < need) return false;
  const uint8_t* p = src.Get(pos, need);
  if (!p) return false;
  uint64_t len = 0;
  for (int i = 0; i < r.lengthSize; ++i) len = (len << 8) | p[i];
  if (len < uint64_t(header) + 1 || len > r.maxNalBytes || len > src.end - pos - r.lengthSize) return false;
  const uint8_t* h = p + r.lengthSize;
  if (h[0] & 0x80) return false;  // forbidden zero bit
  nal.length = len;
  if (!r.hevc) {
    const int refIdc = (h[0] >> 5) & 3;
    nal.type = h[0] & 0x1F;
    switch (nal.type) {
      case 1: case 5:
        if (nal.type == 5 && refIdc == 0) return false;
        nal.vcl = true;
        nal.key = nal.type == 5;
        nal.firstSlice = (h[1] & 0x80) != 0;  // first_mb_in_slice == 0
        return true;
      case 6: case 9:
        if (refIdc != 0) return false;
        nal.startsPicture = true;
        return true;
      case 7: case 8:
        if (refIdc == 0) return false;
        nal.startsPicture = true;
        return true;
      case 12:
        return refIdc == 0;
      default:
        return false;
    }
  }
  nal.type = (h[0] >> 1) & 0x3F;
  const int layer = ((h[0] & 1) << 5) | (h[1] >> 3);
  const int temporal = h[1] & 7;
  if (layer != 0 || temporal == 0) return false;
  if (nal.type <= 9 || (nal.type >= 16 && nal.type <= 21)) {
    nal.vcl = true;
    nal.key = nal.type >= 16;
    nal.firstSlice = (h[2] & 0x80) != 0;  // first_slice_segment_in_pic_flag
    return true;
  }
  if ((nal.type >= 32 && nal.type <= 35) || nal.type == 39) {
    nal.startsPicture = true;
    return true;
  }
  return nal.type == 38 || nal.type == 40;  // filler data, suffix SEI
}

}  // namespace

VideoSample CheckVideoSample(const ByteSource& src, uint64_t pos, const VideoRules& rules, uint64_t stopAt) {
  VideoSample out;
  Nal nal;
  if (!ReadNal(src, pos, rules, nal)) return out;
  if (!nal.startsPicture && !(nal.vcl && nal.firstSlice)) return out;
  uint64_t at = pos;
  bool picture = false;
  bool key = false;
  int vclType = -1;
  for (int units = 1;; ++units) {
    if (units > rules.maxNalUnits || (!picture && units > rules.maxUnitsBeforePicture)) return out;
    if (nal.vcl) {
      if (picture && nal.firstSlice) break;  // the next picture
      if (picture && !rules.hevc && nal.type != vclType) break;
      picture = true;
      vclType = nal.type;
      key = key || nal.key;
    } else if (nal.startsPicture && picture) {
      break;
    }
    at += uint64_t(rules.lengthSize) + nal.length;
    if (picture && at == stopAt) break;
    if (!ReadNal(src, at, rules, nal)) break;
  }
  if (!picture) return out;
  out.size = at - pos;
  out.keyFrame = key;
  return out;
}

uint64_t CheckTextSample(const ByteSource& src, uint64_t pos) {
  constexpr uint64_t kMinLine = 4, kMaxLine = 4096;
  if (pos > src.end || src.end - pos < 2 + kMinLine) return 0;
  const uint8_t* p = src.Get(pos, 2);
  if (!p) return 0;
  const uint64_t len = Be16(p);
  if (len < kMinLine || len > kMaxLine || len > src.end - pos - 2) return 0;
  const uint8_t* t = src.Get(pos + 2, len);
  if (!t) return 0;
  uint64_t line = 0;  // printable bytes before any terminating NULs
  while (line < len && ((t[line] >= 0x20 && t[line] != 0x7F) || t[line] == '\t' || t[line] == '\r' || t[line] == '\n'))
    ++line;
  if (line < kMinLine) return 0;
  for (uint64_t i = line; i < len; ++i)
    if (t[i] != 0) return 0;
  return 2 + len;
}

}  // namespace korvane::repair
