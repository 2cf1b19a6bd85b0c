// Finds the telemetry lines inside one MP4 recording: a single forward walk over the boxes,
// the classification of the camera's "@CMT" comment and the reading of the third track's text
// samples. Only "@CMT", the third track's stts/stsz/stco and its text samples are ever read into
// memory; media data is never read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mp4parse/telemetry_types.h"

namespace korvane {

// Largest "@CMT" payload taken as a camera comment (the camera writes a few kilobytes).
inline constexpr uint64_t MaxCommentBytes = 1u << 20;
// Text sample buffer: a sample and its terminating NUL.
inline constexpr uint32_t TextSampleBuffer = 260;
// Lines kept in memory: the decoders never look past the track's capacity. The true number of
// lines found is counted separately (Mp4Parser::lineCount).
inline constexpr size_t MaxKeptLines = TrackCapacity;
// Boxes the walk looks at before it gives up: a camera file has about a hundred, so a file of
// millions of tiny boxes cannot hold the caller for long.
inline constexpr uint32_t MaxWalkedBoxes = 10000;

// What classifying one "@CMT" payload decided.
enum class BlockVerdict {
  Continue,     // the "KOVAGPS:" marker: the telemetry is in the third track
  StopNothing,  // short or unrecognised: no telemetry
  StopBlock,    // a "$" or "GPS" block; its lines were appended
};

// Classifies one "@CMT" payload; for a "$" or "GPS" block appends each line ten times to `lines`
// (keeping at most MaxKeptLines in all), adds the true number of lines to `lineCount` and sets
// `dataType`.
BlockVerdict ClassifyCommentBlock(std::string_view payload, DataType& dataType,
                                  std::vector<std::string>& lines, uint64_t& lineCount);
BlockVerdict ClassifyCommentBlock(std::string_view payload, DataType& dataType,
                                  std::vector<std::string>& lines);

// Cuts `text` at LF characters; runs of LF are one separator, so no empty line appears; a CR
// before an LF stays at the end of its line. Each line is appended `repeat` times while `out`
// holds fewer than `keep` lines; returns the number of lines the text makes (repeats counted),
// kept or not.
uint64_t SplitLines(std::string_view text, std::vector<std::string>& out, int repeat,
                    size_t keep = MaxKeptLines);

struct WalkOutcome {
  enum Kind { StoppedEmpty, StoppedAtBlock, Finished };
  Kind kind = Finished;
  DataType blockType = DataTypeNone;  // for StoppedAtBlock
};

class Mp4Parser {
 public:
  // Loads the telemetry lines of the recording at `path` into `lines` and returns their type.
  // A missing file gives DataTypeNone; an existing file that cannot be opened throws
  // MP4::BinaryStreamException(1).
  DataType Load(const std::string& path);
  // Frees the third-track tables and the lines.
  void Reset();
  // The box walk alone (Load calls it after Reset). Throws MP4::BinaryStreamException(1).
  WalkOutcome Walk(const std::string& path);
  // True when textSampleCount, sampleSizes and chunkOffsets agree (the tables hold the first
  // min(textSampleCount, MaxKeptLines) entries).
  bool TablesComplete() const;

  std::string path;
  DataType dataType = DataTypeNone;
  // At most MaxKeptLines lines; lineCount is how many the recording holds.
  std::vector<std::string> lines;
  uint64_t lineCount = 0;
  // Walk state. The tables keep at most MaxKeptLines entries, each checked against the box and
  // the file for its full declared length before anything is allocated.
  int trackNumber = 0;
  uint32_t boxesWalked = 0;
  uint32_t textSampleCount = 0;
  std::vector<uint32_t> sampleSizes;
  std::vector<uint32_t> chunkOffsets;

 private:
  // Reads the text samples of the third track into `lines`. False when the tables point outside
  // the file or not in increasing order (then nothing is appended).
  bool ReadTextSamples(const std::string& path);
};

}  // namespace korvane
