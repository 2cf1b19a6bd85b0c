// Picture order counts from slice headers, and the composition offsets made of them.
#include "mp4repair/picture_order.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace korvane::repair {

namespace {

constexpr int kMaxParameterSetId = 63;
constexpr int64_t kMostReorder = 512;  // pictures; beyond that the counts are not believed

int32_t ClampCount(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool AvcHighProfile(uint32_t p) {
  switch (p) {
    case 100: case 110: case 122: case 244: case 44: case 83: case 86: case 118: case 128: case 138: case 139:
    case 134: case 135:
      return true;
    default:
      return false;
  }
}

void SkipScalingList(BitReader& r, int size) {
  int32_t last = 8, next = 8;
  for (int j = 0; j < size && r.Ok(); ++j) {
    if (next != 0) next = (last + r.Se() + 256) % 256;
    last = next == 0 ? last : next;
  }
}

void SkipProfileTierLevel(BitReader& r, int maxSubLayersMinus1) {
  r.Skip(96);  // general profile (88 bits) and level
  bool profile[8] = {}, level[8] = {};
  for (int i = 0; i < maxSubLayersMinus1; ++i) {
    profile[i] = r.Bits(1) != 0;
    level[i] = r.Bits(1) != 0;
  }
  if (maxSubLayersMinus1 > 0) r.Skip(2 * (8 - maxSubLayersMinus1));
  for (int i = 0; i < maxSubLayersMinus1; ++i) {
    if (profile[i]) r.Skip(88);
    if (level[i]) r.Skip(8);
  }
}

}  // namespace

uint32_t BitReader::Bit() {
  if (!ok_) return 0;
  if (bit_ == 0) {
    if (zeros_ >= 2 && byte_ < size_ && data_[byte_] == 3) {  // emulation prevention byte
      ++byte_;
      zeros_ = 0;
    }
    if (byte_ >= size_) {
      ok_ = false;
      return 0;
    }
    zeros_ = data_[byte_] == 0 ? zeros_ + 1 : 0;
  }
  const uint32_t b = (data_[byte_] >> (7 - bit_)) & 1;
  if (++bit_ == 8) {
    bit_ = 0;
    ++byte_;
  }
  return b;
}

uint32_t BitReader::Bits(int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 1) | Bit();
  return ok_ ? v : 0;
}

uint32_t BitReader::Ue() {
  int zeros = 0;
  while (ok_ && Bit() == 0) {
    if (++zeros > 31) {
      ok_ = false;
      return 0;
    }
  }
  if (!ok_) return 0;
  const uint64_t v = (uint64_t{1} << zeros) - 1 + Bits(zeros);
  return ok_ ? uint32_t(v) : 0;
}

int32_t BitReader::Se() {
  const uint32_t k = Ue();
  return (k & 1) ? int32_t((k + 1) / 2) : -int32_t(k / 2);
}

void PictureOrder::ParameterSet(const uint8_t* nal, size_t size) {
  if (!hevc_) {
    if (size < 2) return;
    const int type = nal[0] & 0x1F;
    BitReader r(nal + 1, size - 1);
    if (type == 7) {
      AvcSps s;
      const uint32_t profile = r.Bits(8);
      r.Skip(16);
      const uint32_t id = r.Ue();
      if (AvcHighProfile(profile)) {
        const uint32_t chroma = r.Ue();
        if (chroma == 3) s.separateColourPlane = r.Bits(1);
        r.Ue();
        r.Ue();
        r.Skip(1);
        if (r.Bits(1))
          for (int i = 0; i < (chroma == 3 ? 12 : 8) && r.Ok(); ++i)
            if (r.Bits(1)) SkipScalingList(r, i < 6 ? 16 : 64);
      }
      s.log2MaxFrameNum = int(r.Ue()) + 4;
      s.pocType = int(r.Ue());
      if (s.pocType == 0) {
        s.log2MaxPocLsb = int(r.Ue()) + 4;
      } else if (s.pocType == 1) {
        s.deltaAlwaysZero = r.Bits(1);
        s.offsetNonRef = r.Se();
        s.offsetTopToBottom = r.Se();
        const uint32_t n = r.Ue();
        if (n > 255) return;
        for (uint32_t i = 0; i < n && r.Ok(); ++i) s.refFrameOffsets.push_back(r.Se());
      }
      r.Ue();       // max_num_ref_frames
      r.Skip(1);    // gaps_in_frame_num_value_allowed_flag
      r.Ue();
      r.Ue();
      s.frameMbsOnly = r.Bits(1);
      if (r.Ok() && id <= kMaxParameterSetId && s.log2MaxFrameNum <= 16 && s.log2MaxPocLsb <= 16 && s.pocType <= 2)
        avcSps_[int(id)] = s;
    } else if (type == 8) {
      AvcPps p;
      const uint32_t id = r.Ue();
      p.sps = int(r.Ue());
      r.Skip(1);  // entropy_coding_mode_flag
      p.bottomFieldPocPresent = r.Bits(1);
      if (r.Ok() && id <= 255) avcPps_[int(id)] = p;
    }
    return;
  }
  if (size < 3) return;
  const int type = (nal[0] >> 1) & 0x3F;
  BitReader r(nal + 2, size - 2);
  if (type == 33) {
    HevcSps s;
    r.Skip(4);
    const int maxSubLayersMinus1 = int(r.Bits(3));
    r.Skip(1);
    SkipProfileTierLevel(r, maxSubLayersMinus1);
    const uint32_t id = r.Ue();
    if (r.Ue() == 3) s.separateColourPlane = r.Bits(1);
    r.Ue();
    r.Ue();
    if (r.Bits(1)) {
      r.Ue();
      r.Ue();
      r.Ue();
      r.Ue();
    }
    r.Ue();
    r.Ue();
    s.log2MaxPocLsb = int(r.Ue()) + 4;
    if (r.Ok() && id <= 15 && s.log2MaxPocLsb <= 16) hevcSps_[int(id)] = s;
  } else if (type == 34) {
    HevcPps p;
    const uint32_t id = r.Ue();
    p.sps = int(r.Ue());
    p.dependentSlices = r.Bits(1);
    p.outputFlag = r.Bits(1);
    p.extraBits = int(r.Bits(3));
    if (r.Ok() && id <= kMaxParameterSetId) hevcPps_[int(id)] = p;
  }
}

PictureCount PictureOrder::Picture(const uint8_t* nal, size_t size, bool restart) {
  PictureCount c = hevc_ ? Hevc(nal, size, restart) : Avc(nal, size, restart);
  ++decodeIndex_;
  return c;
}

PictureCount PictureOrder::AccessUnit(const uint8_t* data, size_t size, int lengthSize, bool restart) {
  size_t at = 0;
  for (int k = 0; k < kMostNalUnits && lengthSize > 0 && at + size_t(lengthSize) < size; ++k) {
    uint64_t len = 0;
    for (int i = 0; i < lengthSize; ++i) len = (len << 8) | data[at + size_t(i)];
    at += size_t(lengthSize);
    const size_t n = size_t(std::min<uint64_t>(len, size - at));
    if (n == 0) break;
    const uint8_t* nal = data + at;
    const int type = hevc_ ? (nal[0] >> 1) & 0x3F : nal[0] & 0x1F;
    const bool vcl = hevc_ ? type <= 31 : type == 1 || type == 5;
    if (vcl) return Picture(nal, n, restart);
    ParameterSet(nal, n);
    at += n;
  }
  ++decodeIndex_;
  return {};
}

PictureCount PictureOrder::Avc(const uint8_t* nal, size_t size, bool restart) {
  PictureCount c;
  if (size < 2) return c;
  const int refIdc = (nal[0] >> 5) & 3;
  const bool idr = (nal[0] & 0x1F) == 5;
  BitReader r(nal + 1, size - 1);
  r.Ue();  // first_mb_in_slice
  r.Ue();  // slice_type
  const auto pps = avcPps_.find(int(r.Ue()));
  if (!r.Ok() || pps == avcPps_.end()) return c;
  const auto sps = avcSps_.find(pps->second.sps);
  if (sps == avcSps_.end()) return c;
  const AvcSps& s = sps->second;
  if (s.separateColourPlane) r.Skip(2);
  const int64_t frameNum = r.Bits(s.log2MaxFrameNum);
  bool field = false;
  if (!s.frameMbsOnly && (field = r.Bits(1))) r.Skip(1);
  if (idr) r.Ue();
  int64_t lsb = 0, deltaBottom = 0, delta0 = 0, delta1 = 0;
  if (s.pocType == 0) {
    lsb = r.Bits(s.log2MaxPocLsb);
    if (pps->second.bottomFieldPocPresent && !field) deltaBottom = r.Se();
  } else if (s.pocType == 1 && !s.deltaAlwaysZero) {
    delta0 = r.Se();
    if (pps->second.bottomFieldPocPresent && !field) delta1 = r.Se();
  }
  if (!r.Ok()) return c;
  c.reset = idr || restart;
  if (c.reset) {
    prevMsb_ = prevLsb_ = 0;
    prevFrameNumOffset_ = 0;
    prevFrameNum_ = 0;
    decodeIndex_ = 0;
  }
  if (s.pocType == 0) {
    const int64_t maxLsb = int64_t{1} << s.log2MaxPocLsb;
    int64_t msb = prevMsb_;
    if (c.reset && !idr) prevLsb_ = lsb;  // decoding starts here: its count is taken as it stands
    if (lsb < prevLsb_ && prevLsb_ - lsb >= maxLsb / 2) msb = prevMsb_ + maxLsb;
    else if (lsb > prevLsb_ && lsb - prevLsb_ > maxLsb / 2) msb = prevMsb_ - maxLsb;
    const int64_t top = msb + lsb;
    c.poc = ClampCount(std::min(top, top + deltaBottom));
    if (refIdc != 0) {
      prevMsb_ = msb;
      prevLsb_ = lsb;
    }
  } else if (s.pocType == 1) {
    const int64_t maxFrameNum = int64_t{1} << s.log2MaxFrameNum;
    const int64_t offset = c.reset ? 0 : prevFrameNum_ > frameNum ? prevFrameNumOffset_ + maxFrameNum : prevFrameNumOffset_;
    const auto n = int64_t(s.refFrameOffsets.size());
    int64_t abs = n ? offset + frameNum : 0;
    if (refIdc == 0 && abs > 0) --abs;
    int64_t expected = 0;
    if (abs > 0) {
      const int64_t perCycle = std::accumulate(s.refFrameOffsets.begin(), s.refFrameOffsets.end(), int64_t{0});
      expected = (abs - 1) / n * perCycle;
      for (int64_t i = 0; i <= (abs - 1) % n; ++i) expected += s.refFrameOffsets[size_t(i)];
    }
    if (refIdc == 0) expected += s.offsetNonRef;
    const int64_t top = expected + delta0;
    c.poc = ClampCount(std::min(top, top + s.offsetTopToBottom + delta1));
    prevFrameNumOffset_ = offset;
    prevFrameNum_ = frameNum;
  } else {
    c.poc = ClampCount(decodeIndex_);  // type 2: output order is decode order
  }
  c.ok = true;
  return c;
}

PictureCount PictureOrder::Hevc(const uint8_t* nal, size_t size, bool restart) {
  PictureCount c;
  if (size < 3) return c;
  const int type = (nal[0] >> 1) & 0x3F;
  const int temporalId = (nal[1] & 7) - 1;
  BitReader r(nal + 2, size - 2);
  if (!r.Bits(1)) return c;  // not the picture's first slice segment
  const bool irap = type >= 16 && type <= 23;
  const bool idr = type == 19 || type == 20;
  if (irap) r.Skip(1);
  const auto pps = hevcPps_.find(int(r.Ue()));
  if (!r.Ok() || pps == hevcPps_.end()) return c;
  const auto sps = hevcSps_.find(pps->second.sps);
  if (sps == hevcSps_.end()) return c;
  r.Skip(pps->second.extraBits);
  r.Ue();  // slice_type
  if (pps->second.outputFlag) r.Skip(1);
  if (sps->second.separateColourPlane) r.Skip(2);
  const int64_t lsb = idr ? 0 : r.Bits(sps->second.log2MaxPocLsb);
  if (!r.Ok()) return c;
  // IDR and BLA pictures, and an IRAP picture that decoding starts with, begin a new count.
  c.reset = idr || (type >= 16 && type <= 18) || restart;
  const int64_t maxLsb = int64_t{1} << sps->second.log2MaxPocLsb;
  int64_t msb = 0;
  if (!c.reset) {
    if (lsb < prevLsb_ && prevLsb_ - lsb >= maxLsb / 2) msb = prevMsb_ + maxLsb;
    else if (lsb > prevLsb_ && lsb - prevLsb_ > maxLsb / 2) msb = prevMsb_ - maxLsb;
    else msb = prevMsb_;
  }
  c.poc = ClampCount(msb + lsb);
  // The next count is taken relative to the last picture of temporal layer 0 that is not a
  // leading picture nor a sub-layer non-reference picture.
  const bool subLayerNonRef = type <= 14 && type % 2 == 0;
  if (temporalId == 0 && !(type >= 6 && type <= 9) && !subLayerNonRef) {
    prevMsb_ = msb;
    prevLsb_ = lsb;
  }
  c.ok = true;
  return c;
}

Composition ComposeOffsets(const std::vector<PictureCount>& pictures, uint32_t delta, uint32_t minShift) {
  Composition out;
  const size_t n = pictures.size();
  if (n == 0 || delta == 0 || n > std::numeric_limits<uint32_t>::max()) return out;
  // How far each picture is shown before (+) or after (-) its place in decode order; bounded by
  // kMostReorder, so two bytes each. The counts are held for one period at a time.
  std::vector<int16_t> early(n);
  std::vector<int32_t> counts;  // a period may hold every picture: 32 bits each, indices too
  std::vector<uint32_t> order;
  int64_t base = 0;
  int64_t previous = 0;  // the count of the picture before
  for (size_t b = 0; b < n;) {
    size_t e = b + 1;
    while (e < n && !pictures[e].reset) ++e;
    counts.assign(e - b, 0);
    for (size_t i = b; i < e; ++i) {  // a picture whose header could not be read follows the one before
      counts[i - b] = pictures[i].ok ? pictures[i].poc : (i > 0 && !pictures[i].reset ? ClampCount(previous + 1) : 0);
      previous = counts[i - b];
    }
    order.resize(e - b);
    std::iota(order.begin(), order.end(), uint32_t(0));
    std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return counts[x] < counts[y]; });
    // The last period may have lost, to the cut, pictures shown between those kept: there the
    // count's own step gives each picture its slot.
    int64_t step = 0;
    bool even = e == n;
    for (size_t k = 1; k < order.size() && even; ++k) {
      const int64_t d = int64_t(counts[order[k]]) - counts[order[k - 1]];
      if (d > 0) step = step ? std::gcd(step, d) : d;
    }
    for (size_t k = 1; k < order.size() && even && step > 0; ++k)
      even = counts[order[k]] != counts[order[k - 1]] &&
             (int64_t(counts[order[k]]) - counts[order[0]]) / step <= int64_t(order.size()) + kMostReorder;
    int64_t slots = int64_t(e - b);
    for (size_t k = 0; k < order.size(); ++k) {
      const int64_t slot = even && step > 0 ? (int64_t(counts[order[k]]) - counts[order[0]]) / step : int64_t(k);
      const int64_t d = int64_t(b + order[k]) - (base + slot);
      if (d < -kMostReorder || d > kMostReorder) return out;
      early[b + order[k]] = int16_t(d);
      slots = std::max(slots, slot + 1);
    }
    base += slots;
    b = e;
  }
  int64_t lead = 0;
  bool reordered = false;
  for (size_t i = 0; i < n; ++i) {
    reordered = reordered || early[i] != 0;
    lead = std::max<int64_t>(lead, early[i]);
  }
  if (!reordered) return out;
  out.shift = std::max<uint32_t>(minShift, uint32_t(lead) * delta);
  out.offsets.resize(n);
  for (size_t i = 0; i < n; ++i) out.offsets[i] = uint32_t(int64_t(out.shift) - int64_t(early[i]) * delta);
  return out;
}

}  // namespace korvane::repair
