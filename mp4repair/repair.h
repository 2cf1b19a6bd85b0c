// Repairing a recording cut by power loss, the interface for the command line and the viewer:
//
//   CheckRecording(path).state == FileState::Damaged    (damage.h; cheap, box headers only)
//   FindReference(damaged, error)                       the nearest healthy recording of the same
//                                                       folder whose tracks fit the damaged data
//   RepairRecording({damaged, reference, output})       writes the repaired copy, returns counts
//
// The damaged file is only ever read. The repaired file is written under a temporary name beside
// the output and renamed into place when complete.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace korvane::repair {

enum class RepairStatus {
  Repaired,         // a playable file was written
  NotDamaged,       // the recording is complete: nothing to repair
  NothingFound,     // no MP4 structure, or no sample recognised
  NoReference,      // no usable reference (none found, not a complete recording, unreadable tables)
  LayoutMismatch,   // the reference's tracks do not fit the damaged recording's data
  Unreadable,       // the damaged file or the given reference is missing or cannot be opened
  WriteFailed,      // the output could not be written
  Cancelled,        // the progress callback asked to stop
};

struct RepairRequest {
  std::string damaged;    // the cut recording
  std::string reference;  // empty: FindReference
  std::string output;     // empty: RepairedName(damaged) in the current folder
  // Called from the repairing thread every few megabytes with the media bytes walked and their
  // total; returning false cancels the repair (status Cancelled, nothing left behind).
  std::function<bool(uint64_t done, uint64_t total)> progress;
};

struct RepairResult {
  RepairStatus status = RepairStatus::NothingFound;
  std::string message;        // one line for the user when status != Repaired; notes otherwise
  std::string output;         // the file written (status Repaired)
  std::string reference;      // the reference used
  uint64_t video = 0, audio = 0, text = 0;  // samples recovered
  uint64_t coveredBytes = 0;  // media data bytes of those samples
  uint64_t totalBytes = 0;    // media data bytes the damaged file holds
  bool ok() const { return status == RepairStatus::Repaired; }
};

// "<stem>_repaired.MP4" for the damaged recording's file name.
std::string RepairedName(const std::string& damagedPath);

// The nearest recording (by name order) in the damaged file's folder that is complete and whose
// tracks fit the damaged data; empty with a message in `error` when there is none.
// `progress` (when given) is asked before each candidate and while one is tried; when it returns
// false the search ends at once with `*cancelled` set.
std::string FindReference(const std::string& damagedPath, std::string& error,
                          const std::function<bool(uint64_t done, uint64_t total)>& progress = {},
                          bool* cancelled = nullptr);

// The whole repair. Never changes the damaged file; refuses an output path that names it.
RepairResult RepairRecording(const RepairRequest& request);

}  // namespace korvane::repair
