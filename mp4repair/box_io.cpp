// Positioned reads of the damaged file and box headers checked against the bytes present.
#include "mp4repair/box_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvane::repair {

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool InputFile::Open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  // Never waits: a FIFO or device is refused by the regular-file check below, not read.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  size_ = uint64_t(st.st_size);
  return true;
}

uint64_t InputFile::ReadAt(uint64_t offset, void* buffer, uint64_t count) const {
  if (fd_ < 0 || offset >= size_) return 0;
  if (count > size_ - offset) count = size_ - offset;
  uint64_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    const ssize_t n = ::pread(fd_, out + done, count - done, off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += uint64_t(n);
  }
  return done;
}

Bytes InputFile::Read(uint64_t offset, uint64_t count) const {
  if (offset > size_ || count > size_ - offset) return {};
  Bytes out(count);
  if (ReadAt(offset, out.data(), count) != count) return {};
  return out;
}

namespace {

HeaderResult Decode(const uint8_t* head, uint64_t available, uint64_t offset, uint64_t end,
                    BoxHeader& out) {
  out = BoxHeader{};
  out.offset = offset;
  out.type.assign(reinterpret_cast<const char*>(head + 4), 4);
  const uint32_t size32 = Be32(head);
  const uint64_t left = end - offset;
  if (size32 == 1) {
    if (available < 16) {
      out.size = 1;  // the large size is cut off
      return HeaderResult::Cut;
    }
    out.headerSize = 16;
    out.size = Be64(head + 8);
  } else if (size32 == 0) {
    out.toEnd = true;
    out.size = left;
  } else {
    out.size = size32;
  }
  if (out.size < out.headerSize) return HeaderResult::Malformed;
  if (out.size > left) return HeaderResult::Cut;
  return HeaderResult::Ok;
}

}  // namespace

HeaderResult ReadHeader(const InputFile& in, uint64_t offset, uint64_t end, BoxHeader& out) {
  if (end > in.Size()) end = in.Size();
  if (offset > end || end - offset < 8) return HeaderResult::End;
  uint8_t head[16] = {};
  const uint64_t got = in.ReadAt(offset, head, end - offset < 16 ? end - offset : 16);
  if (got < 8) return HeaderResult::End;
  return Decode(head, got, offset, end, out);
}

HeaderResult ReadHeader(const Bytes& data, uint64_t offset, uint64_t end, BoxHeader& out) {
  if (end > data.size()) end = data.size();
  if (offset > end || end - offset < 8) return HeaderResult::End;
  return Decode(data.data() + offset, end - offset, offset, end, out);
}

std::vector<BoxHeader> Children(const Bytes& data, uint64_t begin, uint64_t end) {
  std::vector<BoxHeader> out;
  BoxHeader h;
  while (ReadHeader(data, begin, end, h) == HeaderResult::Ok) {
    out.push_back(h);
    begin += h.size;
  }
  return out;
}

const BoxHeader* Find(const std::vector<BoxHeader>& boxes, const std::string& type) {
  for (const BoxHeader& b : boxes)
    if (b.type == type) return &b;
  return nullptr;
}

Bytes Slice(const Bytes& data, const BoxHeader& box) {
  return Bytes(data.begin() + std::ptrdiff_t(box.offset), data.begin() + std::ptrdiff_t(box.offset + box.size));
}

void Put16(Bytes& out, uint16_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
void Put32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
void Put64(Bytes& out, uint64_t v) {
  Put32(out, uint32_t(v >> 32));
  Put32(out, uint32_t(v));
}
void Set32(Bytes& data, uint64_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) data[at + k] = uint8_t(v >> (24 - 8 * k));
}

Bytes MakeBox(const char* type, const Bytes& payload) {
  Bytes out;
  Put32(out, uint32_t(payload.size() + 8));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes MakeFullBox(const char* type, uint8_t version, uint32_t flags, const Bytes& payload) {
  Bytes body;
  Put32(body, (uint32_t{version} << 24) | (flags & 0xFFFFFF));
  body.insert(body.end(), payload.begin(), payload.end());
  return MakeBox(type, body);
}

}  // namespace korvane::repair
