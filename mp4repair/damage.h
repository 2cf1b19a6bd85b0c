// Telling a recording cut by power loss from a healthy one by its top-level boxes alone: the
// camera writes the media data first and the sample tables (moov) last, so a cut leaves an mdat
// without its final size and no moov. Cheap enough for the folder scan: only box headers are read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::repair {

enum class FileState {
  Healthy,     // a complete moov and every mdat inside the file
  Damaged,     // a recording cut while being written (see DamageCheck::reason)
  NotMp4,      // no box structure at all (e.g. random bytes or an empty file)
  Unreadable,  // missing, not a regular file, or cannot be opened
};

// The media data ranges of a file, in file order.
struct MediaRange {
  uint64_t dataBegin = 0;  // first byte after the mdat header
  uint64_t dataEnd = 0;    // end of the payload as far as the file holds it
};

struct DamageCheck {
  FileState state = FileState::Unreadable;
  std::string reason;               // why it is damaged, for messages and the log
  uint64_t fileSize = 0;
  std::vector<MediaRange> media;    // every mdat, the last one cut at the end of the file
  uint64_t ftypOffset = 0, ftypSize = 0;  // ftypSize 0: none
  uint64_t moovOffset = 0, moovSize = 0;  // moovSize 0: none (or cut)
};

// Checks the recording at `path`. Damaged when there is no complete moov, or an mdat's size is 0,
// is 1 without room for its large size, or runs past the end of the file.
DamageCheck CheckRecording(const std::string& path);
// True when CheckRecording calls the file damaged.
bool IsDamagedRecording(const std::string& path);

}  // namespace korvane::repair
