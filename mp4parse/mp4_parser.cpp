#include "mp4parse/mp4_parser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "mp4parse/binary_stream.h"

namespace korvane {

namespace {

uint32_t BigEndian32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

bool IsEnteredContainer(std::string_view t) {
  static constexpr std::array<std::string_view, 15> kContainers = {
      "dinf", "edts", "ipro", "mdia", "meta", "mfra", "minf", "moof",
      "moov", "mvex", "sinf", "skip", "stbl", "traf", "trak"};
  for (std::string_view c : kContainers)
    if (t == c) return true;
  return false;
}

// Reads a table of `count` big-endian 32-bit entries that follows in the stream, keeping the
// first MaxKeptLines of them (the rest are never used). The whole table must lie inside both the
// box (`tableBytes` left in its payload) and the file; otherwise it is unusable and `out` stays
// empty. Nothing is allocated before that check, and never more than the kept entries.
bool ReadTable(MP4::BinaryStream& in, uint32_t count, uint64_t tableBytes, std::vector<uint32_t>& out) {
  out.clear();
  const uint64_t need = uint64_t{count} * 4;
  if (need > tableBytes || need > in.Remaining()) return false;
  const uint32_t kept = static_cast<uint32_t>(std::min<uint64_t>(count, MaxKeptLines));
  std::vector<unsigned char> raw(uint64_t{kept} * 4);
  if (in.ReadBytes(raw.data(), raw.size()) != raw.size()) return false;
  out.resize(kept);
  for (uint32_t i = 0; i < kept; ++i) out[i] = BigEndian32(&raw[uint64_t{i} * 4]);
  in.SkipUnsigned(need - raw.size());
  return true;
}

uint32_t KeptCount(uint32_t count) {
  return static_cast<uint32_t>(std::min<uint64_t>(count, MaxKeptLines));
}

}  // namespace

void Mp4Parser::Reset() {
  sampleSizes.clear();
  sampleSizes.shrink_to_fit();
  chunkOffsets.clear();
  chunkOffsets.shrink_to_fit();
  lines.clear();
  lines.shrink_to_fit();
  lineCount = 0;
  textSampleCount = 0;
  boxesWalked = 0;
}

bool Mp4Parser::TablesComplete() const {
  return textSampleCount != 0 && sampleSizes.size() == KeptCount(textSampleCount) &&
         chunkOffsets.size() == KeptCount(textSampleCount);
}

WalkOutcome Mp4Parser::Walk(const std::string& file) {
  MP4::BinaryStream in;
  in.Open(file);
  trackNumber = 0;
  boxesWalked = 0;
  WalkOutcome outcome;
  // A header whose size cannot be a box (0, 2 to 7, or a large size below 16) ends the walk: it is
  // the zeros or garbage after the boxes, not a box. At most MaxWalkedBoxes headers are read.
  while (!in.AtEnd() && boxesWalked < MaxWalkedBoxes) {
    ++boxesWalked;
    const uint32_t size = in.ReadUInt32BE();
    char typeBytes[4] = {0, 0, 0, 0};
    in.ReadBytes(typeBytes, 4);
    if (in.AtEnd()) break;  // header cut by the end of the file
    if (size == 0 || (size > 1 && size < 8)) break;
    uint64_t payload = size - 8;
    if (size == 1) {
      const uint64_t large = in.ReadUInt64BE();
      if (in.AtEnd() || large < 16) break;
      payload = large - 16;
    }
    const std::string_view type(typeBytes, 4);

    if (type == "meta") {
      // A full box: its version and flags word comes before the children.
      in.SkipUnsigned(4);
      continue;
    }
    if (IsEnteredContainer(type) || type == "udta") continue;  // children follow
    if (type == "@CMT") {
      // A comment larger than any camera comment, or one cut by the end of the file, is not
      // used: no telemetry from it, and nothing past the file is allocated.
      if (payload > MaxCommentBytes) return {WalkOutcome::StoppedEmpty, DataTypeNone};
      if (payload > in.Remaining()) break;
      std::string text(payload, '\0');
      in.ReadBytes(text.data(), payload);
      switch (ClassifyCommentBlock(text, dataType, lines, lineCount)) {
        case BlockVerdict::Continue: continue;
        case BlockVerdict::StopNothing: return {WalkOutcome::StoppedEmpty, DataTypeNone};
        case BlockVerdict::StopBlock: return {WalkOutcome::StoppedAtBlock, dataType};
      }
    }
    if (type == "tkhd") {
      ++trackNumber;
    } else if (type == "stts" && trackNumber == 3) {
      // An stts too short for its first entry's count leaves the track without a sample count.
      unsigned char head[12];
      if (payload >= 12 && in.ReadBytes(head, 12) == 12) {
        textSampleCount = BigEndian32(head + 8);
        payload -= 12;
      } else {
        textSampleCount = 0;
      }
    } else if (type == "stsz" && trackNumber == 3) {
      // A size table that does not match the sample count, or does not fit in its box or in
      // the file, is unusable: sampleSizes stays empty.
      unsigned char head[12];
      if (payload >= 12 && in.ReadBytes(head, 12) == 12) {
        payload -= 12;
        const uint32_t count = BigEndian32(head + 8);
        if (count == textSampleCount && ReadTable(in, count, payload, sampleSizes))
          payload -= uint64_t{count} * 4;
      }
    } else if (type == "stco" && trackNumber == 3) {
      // The walk ends here in every case. A chunk table that does not match the sample count,
      // or does not fit in its box or in the file, makes the text track unusable.
      unsigned char head[8];
      bool usable = false;
      if (payload >= 8 && in.ReadBytes(head, 8) == 8) {
        const uint32_t count = BigEndian32(head + 4);
        usable = count == textSampleCount && ReadTable(in, count, payload - 8, chunkOffsets);
      }
      if (!usable) {
        textSampleCount = 0;
        chunkOffsets.clear();
      }
      break;
    }
    in.SkipUnsigned(payload);
  }
  in.Close();
  outcome.kind = WalkOutcome::Finished;
  return outcome;
}

bool Mp4Parser::ReadTextSamples(const std::string& file) {
  MP4::BinaryStream in;
  in.Open(file);
  // The tables must describe samples inside the file, in increasing file order and without
  // overlap; the stream only reads forwards. Otherwise the text track is unusable.
  // Only the kept samples are read; the others are counted as lines but never stored.
  const uint32_t kept = KeptCount(textSampleCount);
  for (uint32_t k = 0; k < kept; ++k) {
    const uint64_t end = uint64_t{chunkOffsets[k]} + sampleSizes[k];
    if (end > in.Size()) return false;
    if (k + 1 < kept && chunkOffsets[k + 1] < end) return false;
  }
  in.Skip(chunkOffsets[0]);
  lines.reserve(kept);
  for (uint32_t k = 0; k < kept; ++k) {
    // A sample of TextSampleBuffer bytes or more is cut to the buffer (the rest is skipped); a
    // sample shorter than the 2-byte length gives an empty line.
    char buffer[TextSampleBuffer] = {};
    const uint32_t size = sampleSizes[k];
    const uint32_t taken = size < TextSampleBuffer ? size : TextSampleBuffer - 1;
    if (in.ReadBytes(buffer, taken) != taken) break;
    in.SkipUnsigned(size - taken);
    std::string line;
    if (taken > 2) line.assign(buffer + 2, strnlen(buffer + 2, taken - 2));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    lines.push_back(std::move(line));
    if (k + 1 < kept) in.SkipUnsigned(chunkOffsets[k + 1] - chunkOffsets[k] - size);
  }
  in.Close();
  lineCount = textSampleCount;
  return true;
}

DataType Mp4Parser::Load(const std::string& file) {
  path = file;  // kept whole: a cut path would name another file
  Reset();
  dataType = DataTypeNone;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return DataTypeNone;
  const WalkOutcome outcome = Walk(file);
  if (outcome.kind == WalkOutcome::StoppedAtBlock) return dataType;
  if (outcome.kind == WalkOutcome::StoppedEmpty) {
    dataType = DataTypeNone;
    lines.clear();
    lineCount = 0;
    return dataType;
  }
  if (TablesComplete()) {
    if (ReadTextSamples(file)) {
      dataType = DataTypeSubtitle;
    } else {
      lines.clear();
      lineCount = 0;
    }
  }
  return dataType;
}

}  // namespace korvane
