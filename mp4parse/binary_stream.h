// Forward-only big-endian reader of one file.
#pragma once

#include <cstdint>
#include <exception>
#include <fstream>
#include <string>

namespace MP4 {

// The reader's only exception. Code 1 ("File open error") is the one raised in practice.
class BinaryStreamException : public std::exception {
 public:
  explicit BinaryStreamException(int code) : code_(code) {}
  int Code() const noexcept { return code_; }
  const char* what() const noexcept override { return Message(code_); }
  static const char* Message(int code) noexcept {
    switch (code) {
      case 0: return "No input file";
      case 1: return "File open error";
      default: return "Unknown exception";
    }
  }

 private:
  int code_;
};

class BinaryStream {
 public:
  // Opens a regular file for binary reading; throws BinaryStreamException(1) when it cannot.
  void Open(const std::string& path);
  // Reads `count` bytes into `buffer`; a read that runs into the end of the file sets AtEnd()
  // and returns the number of bytes actually read (the rest of the buffer is left untouched).
  uint64_t ReadBytes(void* buffer, uint64_t count);
  // Big-endian values; a short read sets AtEnd() and yields 0.
  uint32_t ReadUInt32BE();
  uint64_t ReadUInt64BE();
  // Advances by `count` bytes (a seek); zero or less does nothing. Skipping past the end of the
  // file leaves the position at the end and sets AtEnd(), as a read would.
  void Skip(int64_t count);
  void SkipUnsigned(uint64_t count);
  bool AtEnd() const { return atEnd_; }
  uint64_t Position() const { return position_; }
  uint64_t Size() const { return size_; }
  uint64_t Remaining() const { return position_ < size_ ? size_ - position_ : 0; }
  void Close();

 private:
  std::ifstream in_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  bool atEnd_ = false;
};

}  // namespace MP4
