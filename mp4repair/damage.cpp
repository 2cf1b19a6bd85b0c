// The top-level box walk that tells a recording cut by power loss from a healthy one.
#include "mp4repair/damage.h"

#include <algorithm>

#include "mp4repair/box_io.h"

namespace korvane::repair {

namespace {

bool PlausibleType(const std::string& type) {
  for (char c : type) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E) {
      if (u != 0xA9) return false;  // "©" starts some metadata boxes
    }
  }
  return true;
}

}  // namespace

DamageCheck CheckRecording(const std::string& path) {
  DamageCheck check;
  InputFile in;
  if (!in.Open(path)) {
    check.reason = "cannot be opened";
    return check;
  }
  check.fileSize = in.Size();
  uint64_t at = 0;
  int boxes = 0;
  bool afterMdat = false;
  std::string damage;
  while (at < check.fileSize) {
    BoxHeader h;
    const HeaderResult r = ReadHeader(in, at, check.fileSize, h);
    if (r == HeaderResult::End) {
      if (boxes > 0 && damage.empty()) damage = "the file ends inside a box header";
      break;
    }
    if (h.type == "mdat" && r == HeaderResult::Malformed && h.headerSize == 16) {
      // Size 1 and a large size of 0: the camera never came back to write it.
      check.media.push_back({h.offset + 16, check.fileSize});
      damage = "the media data box has size 1 without a large size";
      ++boxes;
      break;
    }
    if (!PlausibleType(h.type) || r == HeaderResult::Malformed) {
      // Bytes after a complete moov (padding) do not harm playback.
      if (boxes > 0 && damage.empty() && check.moovSize == 0) damage = "a malformed box follows the media data";
      // Media data written after an mdat size the camera updated last: the mdat runs on. A
      // damaged header where the media data should begin: the data is taken to follow it.
      if (afterMdat) check.media.back().dataEnd = check.fileSize;
      if (check.media.empty() && check.moovSize == 0 && boxes > 0 && r != HeaderResult::End)
        check.media.push_back({std::min(at + 8, check.fileSize), check.fileSize});
      break;
    }
    afterMdat = h.type == "mdat";
    ++boxes;
    if (h.type == "mdat") {
      MediaRange range;
      range.dataBegin = h.offset + h.headerSize;
      if (r == HeaderResult::Cut && h.headerSize == 8 && h.size == 1) {
        // Size 1 with the large size cut off by the end of the file.
        range.dataBegin = check.fileSize;
        damage = "the media data box has size 1 without a large size";
      } else if (h.toEnd) {
        damage = "the media data box has size 0";
      } else if (r == HeaderResult::Cut) {
        damage = "the media data box runs past the end of the file";
      }
      if (range.dataBegin > check.fileSize) range.dataBegin = check.fileSize;
      range.dataEnd = r == HeaderResult::Ok ? h.offset + h.size : check.fileSize;
      check.media.push_back(range);
      if (r != HeaderResult::Ok || h.toEnd) break;
    } else if (r != HeaderResult::Ok) {
      if (damage.empty()) damage = "the " + h.type + " box runs past the end of the file";
      break;
    } else if (h.type == "moov") {
      check.moovOffset = h.offset;
      check.moovSize = h.size;
    } else if (h.type == "ftyp" && check.ftypSize == 0) {
      check.ftypOffset = h.offset;
      check.ftypSize = h.size;
    }
    at = h.offset + h.size;
  }
  if (boxes == 0 || (check.media.empty() && check.moovSize == 0 && check.ftypSize == 0)) {
    check.state = FileState::NotMp4;
    check.reason = "no MP4 box structure";
    return check;
  }
  if (damage.empty() && check.moovSize == 0) damage = "the sample tables (moov) are missing";
  check.state = damage.empty() ? FileState::Healthy : FileState::Damaged;
  check.reason = damage;
  return check;
}

bool IsDamagedRecording(const std::string& path) { return CheckRecording(path).state == FileState::Damaged; }

}  // namespace korvane::repair
