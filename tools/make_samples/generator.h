// Makes a folder of sample recordings (see sample_set.h for what it holds and expected_files.h
// for the description written beside them).
#pragma once

#include <string>

namespace korvane::samples {

struct Options {
  std::string folder;
  bool longRecordings = false;  // 60-second 1920x1080 recordings (benchmarks)
  int count = 0;                // > 0: that many Normal recordings from one encode (benchmarks)
  int events = 0;               // with count: that many Event recordings as well
  int parallel = 2;             // ffmpeg processes at a time
  bool force = false;           // regenerate even when the folder is up to date
  std::string generatorId;      // identifies the generator build; the options are added to it
};

// Returns 0 on success; prints progress to stdout and problems to stderr.
int Generate(const Options& options);

// The FNV-1a hash of a file's bytes (or of a text) as 16 hexadecimal digits.
std::string HashFile(const std::string& path);
std::string HashText(const std::string& text);

}  // namespace korvane::samples
