// The new moov of a repaired recording: the reference's moov with every box kept (sample
// descriptions, handlers, user data) except the sample tables, which are written anew from the
// samples the walk found, and the durations, which follow the new tables.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "mp4repair/media_walk.h"
#include "mp4repair/picture_order.h"
#include "mp4repair/reference.h"

namespace korvane::repair {

class TableWriter;

// The new moov held as pieces: the reference's boxes as bytes, and the large sample tables (stsz,
// stco/co64, stss) as tables written straight from the sample lists when the moov is written, so
// that the moov of millions of samples is never held whole in memory.
class MoovPieces {
 public:
  using Sink = std::function<bool(const uint8_t* data, size_t size)>;
  using Fill = std::function<void(TableWriter&)>;
  uint64_t Size() const { return size_; }
  // Writes the moov piece after piece; false when the sink fails or a table is not the size it
  // was said to be.
  bool Write(const Sink& sink) const;
  Bytes Flatten() const;
  void Append(const Bytes& bytes);
  void Append(MoovPieces&& other);
  // A table of `size` bytes that `fill` writes.
  void AppendTable(uint64_t size, Fill fill);
  // A box of `type` around `body`.
  static MoovPieces Box(const char* type, MoovPieces&& body);

 private:
  struct Piece {
    Bytes bytes;
    uint64_t size = 0;  // of the table
    Fill fill;          // empty: the bytes
  };
  std::vector<Piece> pieces_;
  uint64_t size_ = 0;
};

// Big-endian values for a table, passed on to the sink in large blocks.
class TableWriter {
 public:
  explicit TableWriter(const MoovPieces::Sink& sink) : sink_(sink) {}
  void Put32(uint32_t v);
  void Put64(uint64_t v);
  bool Flush();
  uint64_t Written() const { return written_; }

 private:
  const MoovPieces::Sink& sink_;
  Bytes buffer_;
  uint64_t written_ = 0;
  bool ok_ = true;
};

// `samples` holds one list per reference track (file order); `newOffset(old)` maps a sample's
// offset in the damaged file to its offset in the new one. Tracks without samples are left out.
// Durations: the reference's most common sample duration of each track. `composition` (one per
// track, or fewer) gives a video track its composition offsets and its edit's media time; a track
// without offsets gets no ctts and an edit that starts at 0.
MoovPieces BuildMoovPieces(const Reference& ref, const std::vector<SampleList>& samples, int64_t offsetShift,
                           const std::vector<Composition>& composition = {});
// The same moov as one block of bytes.
Bytes BuildMoov(const Reference& ref, const std::vector<SampleList>& samples, int64_t offsetShift,
                const std::vector<Composition>& composition = {});

}  // namespace korvane::repair
