// Writing the repaired file: ftyp, an mdat with the damaged file's media bytes copied unchanged,
// and the new moov. The copy runs on its own thread while the walk reads the same bytes, so a
// repair takes about as long as copying the file. Written under "<output>.part" and renamed into
// place when complete; removed on failure.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "mp4repair/box_io.h"

namespace korvane::repair {

class RepairedFile {
 public:
  RepairedFile() = default;
  ~RepairedFile();  // an unfinished file is removed
  RepairedFile(const RepairedFile&) = delete;
  RepairedFile& operator=(const RepairedFile&) = delete;

  // Creates the file and starts copying in[first, last) after `ftyp` and an mdat header.
  bool Start(const std::string& output, const Bytes& ftyp, const InputFile& in, uint64_t first, uint64_t last);
  // What to add to an offset in the damaged file to get the offset in the new one.
  int64_t Shift() const { return shift_; }
  // Keeps the first `dataBytes` of the copied media data, closes the mdat, appends `moov` and
  // renames the file into place.
  bool Finish(uint64_t dataBytes, const Bytes& moov);
  // The same with the moov written by `writeMoov`, which passes its bytes in order to the sink.
  using MoovSink = std::function<bool(const uint8_t* data, size_t size)>;
  bool Finish(uint64_t dataBytes, const std::function<bool(const MoovSink&)>& writeMoov);
  // Waits for the copy of the media data, asking `keepGoing` every tenth of a second; false when
  // it said no (the copy is then stopped) or the copy failed.
  bool WaitForCopy(const std::function<bool()>& keepGoing);
  // Stops the copy at once and removes the file.
  void Abort();

 private:
  std::string output_, part_;
  int fd_ = -1;
  std::thread copier_;
  // The copy goes a slice at a time and ends before the next slice once `stop_` is set.
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool copyEnded_ = false;  // under mutex_
  bool copied_ = false;     // the whole range was copied; read once copyEnded_
  uint64_t dataAt_ = 0;      // file offset of the first media byte
  uint32_t headerSize_ = 8;
  int64_t shift_ = 0;
};

}  // namespace korvane::repair
