// The walk over the media data of a damaged recording: sample after sample, guided by the
// reference's chunk order (which track the camera writes next) and checked by the sample checks
// and the audio decoder. Stops where no track's sample starts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mp4repair/damage.h"
#include "mp4repair/reference.h"
#include "mp4repair/sample_list.h"

namespace korvane::repair {

struct WalkResult {
  std::vector<SampleList> tracks;  // one list per reference track, in file order
  uint64_t coveredBytes = 0;  // bytes of the recovered samples
  uint64_t totalBytes = 0;    // bytes of media data the file holds
  uint64_t end = 0;           // file offset just after the last recovered sample
  uint64_t stoppedAt = 0;     // where the walk ended
  bool stuck = false;         // it ended where no sample starts and no key frame follows
  bool cancelled = false;     // the progress callback asked to stop
  // Stretches no track recognised, skipped up to the next key frame (offset, bytes).
  std::vector<std::pair<uint64_t, uint64_t>> skipped;
  std::string problem;        // set when the walk could not start (e.g. no audio decoder)
  size_t Count(TrackKind kind, const Reference& ref) const;
};

// How many bytes at the end of the data may be left unrecognised: the sample the cut went through.
uint64_t CutSlack(const Reference& ref);

// Called now and then with the media bytes walked and their total; returning false stops the walk.
using WalkProgress = std::function<bool(uint64_t done, uint64_t total)>;

// Walks `media` of the open damaged file. Where no track's sample starts, well before the end of
// the data, the walk skips to the next key frame followed by another sample. `limit` (when not 0)
// ends the walk after that many bytes of media data, for a quick test of a reference.
WalkResult WalkMedia(const InputFile& in, const std::vector<MediaRange>& media, const Reference& ref,
                     uint64_t limit = 0, const WalkProgress& progress = {});

}  // namespace korvane::repair
