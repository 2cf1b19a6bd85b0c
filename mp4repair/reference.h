// The healthy recording a damaged one is rebuilt after: its moov (kept whole, to copy the sample
// descriptions, handlers and user data from), and per track what the walk over the damaged media
// data needs to know: the codec, the NAL length size, the audio decoder configuration, the usual
// sample duration and the order in which the camera writes its chunks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mp4repair/box_io.h"

namespace korvane::repair {

enum class TrackKind { Video, Audio, Text, Other };

struct TrackModel {
  TrackKind kind = TrackKind::Other;
  std::string handler;        // "vide", "soun", "sbtl", ...
  std::string codec;          // sample entry type: "avc1", "hvc1", "mp4a", "tx3g", ...
  bool hevc = false;          // H.265 rather than H.264
  int nalLengthSize = 4;      // bytes of each NAL unit's length prefix
  std::vector<Bytes> parameterSets;  // SPS/PPS (and VPS) of avcC/hvcC
  Bytes audioConfig;          // AudioSpecificConfig from esds
  int channels = 0;
  int sampleRate = 0;
  uint32_t timescale = 0;     // media timescale (mdhd)
  uint32_t sampleDelta = 0;   // the most common sample duration (stts)
  uint32_t sampleCount = 0;
  uint32_t maxSampleSize = 0;
  bool hasSyncTable = false;  // stss present (not every sample a key frame)
  bool hasCompositionOffsets = false;  // ctts present
  uint64_t editMediaTime = 0;  // where the edit list starts the media (the encoder's delay)
  BoxHeader trak;             // position of the trak inside Reference::moov
};

// One chunk of the reference in file order.
struct ChunkStep {
  int track = 0;
  uint32_t samples = 0;
};

struct Reference {
  std::string path;
  Bytes ftyp;                  // whole box (empty when the file has none)
  Bytes moov;                  // whole box
  uint32_t movieTimescale = 0;
  std::vector<TrackModel> tracks;  // in moov order
  std::vector<ChunkStep> pattern;  // the first chunks in file order
};

// Reads the reference at `path`. On failure returns false and a message in `error`.
bool LoadReference(const std::string& path, Reference& out, std::string& error);

// Every sample of track `track` of the reference as its tables describe it (offset, size, key
// frame), in decode order. Empty when the tables do not agree.
struct TableSample {
  uint64_t offset = 0;
  uint32_t size = 0;
  bool key = true;
};
std::vector<TableSample> ReferenceSamples(const Reference& ref, size_t track);

// A short description of the layout: "avc1+mp4a+tx3g".
std::string DescribeLayout(const Reference& ref);

}  // namespace korvane::repair
