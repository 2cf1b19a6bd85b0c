// Writing the repaired file while the walk runs.
#include "mp4repair/repaired_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>

namespace korvane::repair {

namespace {

bool WriteAt(int fd, uint64_t at, const uint8_t* data, size_t size) {
  uint64_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd, data + done, size - done, off_t(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += uint64_t(n);
  }
  return true;
}

bool WriteAt(int fd, uint64_t at, const Bytes& b) { return WriteAt(fd, at, b.data(), b.size()); }

// How much the copy moves between two looks at its stop flag: a stop waits for one slice at most
// (a fraction of a second even from a slow memory card).
constexpr uint64_t kCopySlice = 4u << 20;

// Copies in[from, from+count) to `out` from offset `to` on; false when it failed or was stopped.
bool CopyRange(const InputFile& in, uint64_t from, uint64_t count, int out, uint64_t to,
               const std::atomic<bool>& stop) {
  loff_t src = loff_t(from), dst = loff_t(to);
  while (count > 0 && !stop.load()) {
    const ssize_t n = ::copy_file_range(in.Descriptor(), &src, out, &dst, std::min(count, kCopySlice), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    count -= uint64_t(n);
  }
  Bytes buffer(1u << 20);
  while (count > 0) {  // where the kernel cannot copy between these files
    if (stop.load()) return false;
    const uint64_t chunk = std::min<uint64_t>(count, buffer.size());
    buffer.resize(chunk);
    if (in.ReadAt(uint64_t(src), buffer.data(), chunk) != chunk || !WriteAt(out, uint64_t(dst), buffer)) return false;
    src += loff_t(chunk);
    dst += loff_t(chunk);
    count -= chunk;
  }
  return true;
}

Bytes MdatHeader(uint32_t headerSize, uint64_t dataBytes) {
  Bytes h;
  if (headerSize == 8) {
    Put32(h, uint32_t(dataBytes + 8));
    h.insert(h.end(), {'m', 'd', 'a', 't'});
  } else {
    Put32(h, 1);
    h.insert(h.end(), {'m', 'd', 'a', 't'});
    Put64(h, dataBytes + 16);
  }
  return h;
}

}  // namespace

RepairedFile::~RepairedFile() { Abort(); }

bool RepairedFile::Start(const std::string& output, const Bytes& ftyp, const InputFile& in, uint64_t first,
                         uint64_t last) {
  output_ = output;
  part_ = output + ".part";
  fd_ = ::open(part_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0644);
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || ::ftruncate(fd_, 0) != 0) {
    ::close(fd_);
    fd_ = -1;
    part_.clear();  // not ours to remove
    return false;
  }
  headerSize_ = last - first + 8 <= 0xFFFFFFFFu ? 8 : 16;
  dataAt_ = ftyp.size() + headerSize_;
  shift_ = int64_t(dataAt_) - int64_t(first);
  if (!WriteAt(fd_, 0, ftyp) || !WriteAt(fd_, ftyp.size(), MdatHeader(headerSize_, 0))) {
    Abort();
    return false;
  }
  const int fd = fd_;
  const uint64_t to = dataAt_;
  stop_ = false;
  copyEnded_ = false;
  copier_ = std::thread([this, &in, first, last, fd, to] {
    const bool copied = CopyRange(in, first, last - first, fd, to, stop_);
    std::lock_guard<std::mutex> lock(mutex_);
    copied_ = copied;
    copyEnded_ = true;
    changed_.notify_all();
  });
  return true;
}

bool RepairedFile::WaitForCopy(const std::function<bool()>& keepGoing) {
  if (!copier_.joinable()) return copied_;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!changed_.wait_for(lock, std::chrono::milliseconds(100), [this] { return copyEnded_; })) {
    if (keepGoing && !keepGoing()) {
      stop_ = true;
      lock.unlock();
      copier_.join();
      return false;
    }
  }
  lock.unlock();
  copier_.join();
  return copied_;
}

bool RepairedFile::Finish(uint64_t dataBytes, const Bytes& moov) {
  return Finish(dataBytes, [&moov](const MoovSink& sink) { return sink(moov.data(), moov.size()); });
}

bool RepairedFile::Finish(uint64_t dataBytes, const std::function<bool(const MoovSink&)>& writeMoov) {
  if (fd_ < 0) return false;
  if (copier_.joinable()) copier_.join();
  uint64_t at = dataAt_ + dataBytes;
  const MoovSink sink = [this, &at](const uint8_t* data, size_t size) {
    if (!WriteAt(fd_, at, data, size)) return false;
    at += size;
    return true;
  };
  bool ok = copied_ && ::ftruncate(fd_, off_t(dataAt_ + dataBytes)) == 0 &&
            WriteAt(fd_, dataAt_ - headerSize_, MdatHeader(headerSize_, dataBytes)) && writeMoov(sink);
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  std::error_code ec;
  if (ok) std::filesystem::rename(part_, output_, ec);
  if (!ok || ec) {
    std::filesystem::remove(part_, ec);
    return false;
  }
  part_.clear();
  return true;
}

void RepairedFile::Abort() {
  stop_ = true;
  if (copier_.joinable()) copier_.join();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  std::error_code ec;
  if (!part_.empty()) std::filesystem::remove(part_, ec);
  part_.clear();
}

}  // namespace korvane::repair
