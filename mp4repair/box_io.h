// Reading a recording for the repair: positioned reads of one file, big-endian values and the
// headers of boxes, every size checked against the bytes that are really there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::repair {

using Bytes = std::vector<uint8_t>;

inline uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint64_t Be64(const uint8_t* p) { return (uint64_t{Be32(p)} << 32) | Be32(p + 4); }

// A read-only file read at given offsets. Not copyable.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  // False when the path is not a regular file that can be opened for reading (a FIFO, device or
  // symbolic link is refused without waiting on it).
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  uint64_t Size() const { return size_; }
  // Reads up to `count` bytes at `offset`; returns the number read (short at the end of file).
  uint64_t ReadAt(uint64_t offset, void* buffer, uint64_t count) const;
  // Exactly [offset, offset+count) or an empty vector when the file is shorter.
  Bytes Read(uint64_t offset, uint64_t count) const;
  int Descriptor() const { return fd_; }

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

struct BoxHeader {
  std::string type;
  uint64_t offset = 0;      // of the header
  uint64_t size = 0;        // the whole box as declared (0: to the end of the enclosing range)
  uint32_t headerSize = 8;  // 8, or 16 with a large size
  bool toEnd = false;       // declared size 0
  uint64_t PayloadOffset() const { return offset + headerSize; }
};

// What reading a header at some offset gave.
enum class HeaderResult {
  Ok,        // a header whose box fits inside the range
  End,       // fewer than 8 bytes left
  Cut,       // the box (or its large size) runs past the end of the range
  Malformed  // a size below the header size
};

// Reads the box header at `offset` of a range ending at `end` (size 0 is resolved to the end).
HeaderResult ReadHeader(const InputFile& in, uint64_t offset, uint64_t end, BoxHeader& out);
// The same inside a buffer.
HeaderResult ReadHeader(const Bytes& data, uint64_t offset, uint64_t end, BoxHeader& out);

// Children of a box held in memory: [begin, end) of `data`; stops at the first bad header.
std::vector<BoxHeader> Children(const Bytes& data, uint64_t begin, uint64_t end);
// The first child of the given type, or nullptr.
const BoxHeader* Find(const std::vector<BoxHeader>& boxes, const std::string& type);
// The whole bytes of a box held in memory.
Bytes Slice(const Bytes& data, const BoxHeader& box);

// Big-endian writers.
void Put16(Bytes& out, uint16_t v);
void Put32(Bytes& out, uint32_t v);
void Put64(Bytes& out, uint64_t v);
void Set32(Bytes& data, uint64_t at, uint32_t v);
// A box with a 32-bit size around `payload`.
Bytes MakeBox(const char* type, const Bytes& payload);
// A full box (version 0, flags) around `payload`.
Bytes MakeFullBox(const char* type, uint8_t version, uint32_t flags, const Bytes& payload);

}  // namespace korvane::repair
