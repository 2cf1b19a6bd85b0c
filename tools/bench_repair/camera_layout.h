// Recordings laid out as the camera writes them, for the repair tests and benchmark: every track's
// samples in one mdat, a chunk of each track in turn for every stretch of time, and the moov last;
// and the cut that power loss leaves (the file ends inside the mdat, whose size is still 0).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::camera {

struct PlacedSample {
  size_t track = 0;  // index of the track in the moov
  uint64_t offset = 0;
  uint32_t size = 0;
};

struct CameraRecording {
  std::vector<PlacedSample> samples;  // in file order
  uint64_t mdatBegin = 0;             // the mdat's header
  uint64_t fileSize = 0;
};

// Writes `output` with the samples of the healthy recording `source` (repeated `repeat` times one
// after the other), chunks of `chunkSeconds` per track. False with a message in `error`.
bool WriteCameraRecording(const std::string& source, const std::string& output, int repeat,
                          double chunkSeconds, CameraRecording& out, std::string& error);

// Writes the first `keep` bytes of `source` to `output` with the size of the mdat that holds byte
// `keep` set to 0, as the camera leaves it when its power is cut.
bool CutAsPowerLoss(const std::string& source, const std::string& output, uint64_t keep, std::string& error);

// How many samples of each track lie wholly in the first `keep` bytes.
std::vector<size_t> SamplesWithin(const CameraRecording& rec, size_t tracks, uint64_t keep);

}  // namespace korvane::camera
