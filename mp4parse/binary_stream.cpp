#include "mp4parse/binary_stream.h"

#include <filesystem>
#include <system_error>

namespace MP4 {

void BinaryStream::Open(const std::string& path) {
  Close();
  std::error_code ec;
  // A directory or a device is not a recording: treat it as a file that cannot be opened.
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) throw BinaryStreamException(1);
  in_.open(path, std::ios::binary | std::ios::in);
  if (!in_.is_open() || !in_.good()) {
    in_.close();
    throw BinaryStreamException(1);
  }
  in_.seekg(0, std::ios::end);
  const std::streamoff end = in_.tellg();
  in_.seekg(0, std::ios::beg);
  if (end < 0 || !in_.good()) {
    in_.close();
    throw BinaryStreamException(1);
  }
  size_ = static_cast<uint64_t>(end);
  position_ = 0;
  atEnd_ = false;
}

uint64_t BinaryStream::ReadBytes(void* buffer, uint64_t count) {
  if (count == 0) return 0;
  if (atEnd_ || !in_.is_open()) {
    atEnd_ = true;
    return 0;
  }
  const uint64_t wanted = count;
  if (count > Remaining()) count = Remaining();
  uint64_t got = 0;
  if (count > 0) {
    in_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
    got = static_cast<uint64_t>(in_.gcount());
  }
  position_ += got;
  if (got < wanted) {
    atEnd_ = true;
    in_.clear();
  }
  return got;
}

uint32_t BinaryStream::ReadUInt32BE() {
  unsigned char b[4];
  if (ReadBytes(b, 4) != 4) return 0;
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | uint32_t{b[3]};
}

uint64_t BinaryStream::ReadUInt64BE() {
  unsigned char b[8];
  if (ReadBytes(b, 8) != 8) return 0;
  uint64_t v = 0;
  for (unsigned char c : b) v = (v << 8) | c;
  return v;
}

void BinaryStream::Skip(int64_t count) {
  if (count <= 0) return;
  SkipUnsigned(static_cast<uint64_t>(count));
}

void BinaryStream::SkipUnsigned(uint64_t count) {
  if (count == 0 || !in_.is_open()) return;
  if (count > Remaining()) {
    // Never seek to a position the signed stream offset cannot express.
    position_ = size_;
    atEnd_ = true;
    in_.seekg(0, std::ios::end);
    return;
  }
  position_ += count;
  in_.seekg(static_cast<std::streamoff>(position_), std::ios::beg);
}

void BinaryStream::Close() {
  if (in_.is_open()) in_.close();
  in_.clear();
  size_ = 0;
  position_ = 0;
  atEnd_ = false;
}

}  // namespace MP4
