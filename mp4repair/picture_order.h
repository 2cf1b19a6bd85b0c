// The display order of H.264/H.265 pictures from their own bitstream: the picture order count of
// each picture, read from its first slice header with the sequence and picture parameter sets
// (those of the sample description and any found among the pictures' NAL units), and the
// composition offsets a camera writes for them.
//
// Everything here reads only the bytes it is given: a NAL unit is parsed without its emulation
// prevention bytes and a read past its end yields a failed parse, never a read past the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "mp4repair/box_io.h"

namespace korvane::repair {

// Exp-Golomb reader over one NAL unit's payload; emulation prevention bytes (00 00 03) skipped.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t Bits(int n);    // up to 32 bits
  uint32_t Ue();           // unsigned exp-Golomb (at most 32 leading zeros)
  int32_t Se();            // signed exp-Golomb
  void Skip(int n) { for (int i = 0; i < n && ok_; ++i) Bit(); }
  bool Ok() const { return ok_; }  // false once a read went past the end or a code was too long

 private:
  uint32_t Bit();
  const uint8_t* data_;
  size_t size_;
  size_t byte_ = 0;
  int bit_ = 0;
  int zeros_ = 0;  // zero bytes just read, for the emulation prevention byte
  bool ok_ = true;
};

// One picture as decoded for its order: its count, and whether the count started anew with it.
// Kept for every recovered picture, hence small: counts beyond 32 bits are clamped (a recording
// holds far fewer pictures than that).
struct PictureCount {
  int32_t poc = 0;
  bool reset = false;  // an IDR picture (H.264) or an IRAP picture that starts decoding (H.265)
  bool ok = false;     // false when the slice header could not be read
};

class PictureOrder {
 public:
  explicit PictureOrder(bool hevc) : hevc_(hevc) {}
  // A NAL unit (header included, no length prefix); parameter sets are kept, other units ignored.
  void ParameterSet(const uint8_t* nal, size_t size);
  // The first slice NAL unit of the next picture in decode order. `restart`: decoding starts
  // anew here (the first picture, or the first after a stretch that could not be read).
  PictureCount Picture(const uint8_t* nal, size_t size, bool restart);
  // One access unit as stored in a sample (NAL units behind `lengthSize`-byte lengths), or its
  // first bytes: the parameter sets in it are kept and its first slice is read; a unit that runs
  // past `size` is read as far as it goes. At most kMostNalUnits units are looked at.
  PictureCount AccessUnit(const uint8_t* data, size_t size, int lengthSize, bool restart);
  static constexpr int kMostNalUnits = 256;

 private:
  struct AvcSps {
    int log2MaxFrameNum = 4, pocType = 0, log2MaxPocLsb = 4;
    bool frameMbsOnly = true, deltaAlwaysZero = false, separateColourPlane = false;
    int32_t offsetNonRef = 0, offsetTopToBottom = 0;
    std::vector<int32_t> refFrameOffsets;
  };
  struct AvcPps { int sps = 0; bool bottomFieldPocPresent = false; };
  struct HevcSps { int log2MaxPocLsb = 4; bool separateColourPlane = false; };
  struct HevcPps { int sps = 0; bool dependentSlices = false, outputFlag = false; int extraBits = 0; };
  PictureCount Avc(const uint8_t* nal, size_t size, bool restart);
  PictureCount Hevc(const uint8_t* nal, size_t size, bool restart);
  bool hevc_;
  std::map<int, AvcSps> avcSps_;
  std::map<int, AvcPps> avcPps_;
  std::map<int, HevcSps> hevcSps_;
  std::map<int, HevcPps> hevcPps_;
  // Decoding state carried from picture to picture.
  int64_t prevMsb_ = 0, prevLsb_ = 0;
  int64_t prevFrameNum_ = 0, prevFrameNumOffset_ = 0;
  int64_t decodeIndex_ = 0;
};

// The composition offsets of pictures in decode order, each `delta` long: pictures are ranked by
// their count within each period (a reset to the next), the periods follow each other, and all
// offsets are shifted by the same amount so that none is negative (at least `minShift`).
struct Composition {
  std::vector<uint32_t> offsets;  // one per picture; empty when no picture is reordered
  uint32_t shift = 0;             // the first picture's offset: the edit list's media time
};
Composition ComposeOffsets(const std::vector<PictureCount>& pictures, uint32_t delta, uint32_t minShift = 0);

}  // namespace korvane::repair
