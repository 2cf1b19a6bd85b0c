// Damaged recordings made from the sample recordings for the repair tests: the samples laid out
// as the camera writes them, cut where power loss would cut them, and what the cut kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fixtures.h"

namespace korvane::test {

// The sample folder (KORVANE_SAMPLES_DIR); empty when it has not been made.
std::string SamplesFolder();

// Samples of each track of the healthy recording `path` lying wholly in its first `keep` bytes.
std::vector<size_t> SamplesKept(const std::string& path, uint64_t keep);

// The offset and size of sample `index` of track `track` of the healthy recording `path`.
struct SampleSpan {
  uint64_t offset = 0;
  uint32_t size = 0;
};
SampleSpan SampleAt(const std::string& path, size_t track, size_t index);
size_t SampleCount(const std::string& path, size_t track);
// Where the media data of the healthy recording `path` begins and ends (first and last mdat).
void MediaSpan(const std::string& path, uint64_t& begin, uint64_t& end);

// The telemetry lines Mp4Parser reads from `path`.
std::vector<std::string> TelemetryLines(const std::string& path);

// The counts printed by korvane-cli repair.
struct RepairLine {
  bool parsed = false;
  uint64_t video = 0, audio = 0, text = 0, bytes = 0, of = 0;
  std::string output;
};
RepairLine ParseRepairOutput(const std::string& out);

// The whole file.
std::string FileBytes(const std::string& path);

}  // namespace korvane::test
