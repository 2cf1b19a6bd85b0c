// The repair as a whole: checks, reference choice, walk and the new file.
#include "mp4repair/repair.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "mp4repair/damage.h"
#include "mp4repair/media_walk.h"
#include "mp4repair/moov_build.h"
#include "mp4repair/presentation_times.h"
#include "mp4repair/reference.h"
#include "mp4repair/repaired_file.h"

namespace fs = std::filesystem;

namespace korvane::repair {

namespace {

constexpr uint64_t kProbeBytes = 8u << 20;
constexpr size_t kMaxCandidates = 16;
constexpr size_t kMostSkips = 2;  // unrecognised stretches allowed in the probed start

bool IsRecordingName(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  return ext == ".MP4";
}

// Whether the reference's tracks explain the start of the damaged data: its video is recognised,
// nearly all of it belongs to recognised samples (a missing or different track leaves
// a gap in every chunk), and bytes no track recognises are left only where the file was cut.
bool Fits(const InputFile& in, const DamageCheck& check, const Reference& ref, uint64_t& badAt,
          const WalkProgress& progress = {}, bool* cancelled = nullptr) {
  // The probe reports no progress of its own: the callback only gets the chance to stop it.
  const WalkProgress ask = progress ? WalkProgress([&](uint64_t, uint64_t total) { return progress(0, total); })
                                    : WalkProgress();
  const WalkResult probe = WalkMedia(in, check.media, ref, kProbeBytes, ask);
  if (probe.cancelled && cancelled) *cancelled = true;
  if (probe.cancelled) return false;
  if (!probe.problem.empty() || check.media.empty()) return false;
  badAt = probe.skipped.empty() ? probe.stoppedAt : probe.skipped.front().first;
  if (probe.coveredBytes == 0) {
    badAt = check.media.front().dataBegin;
    return probe.totalBytes == 0;
  }
  bool hasVideo = false;
  for (const TrackModel& t : ref.tracks) hasVideo = hasVideo || t.kind == TrackKind::Video;
  if (hasVideo && probe.Count(TrackKind::Video, ref) == 0) return false;
  uint64_t skipped = 0;
  for (const auto& s : probe.skipped) skipped += s.second;
  if (probe.skipped.size() > kMostSkips || skipped * 4 > probe.coveredBytes) return false;
  // A walk that gets stuck further on, with no key frame after, still fits: what lies before the
  // stuck point is the camera's.
  return true;
}

std::string LayoutMessage(const Reference& ref, uint64_t badAt) {
  return "the reference " + ref.path + " has another track layout (" + DescribeLayout(ref) +
         "): the recording's media data at byte " + std::to_string(badAt) + " fits none of its tracks";
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

Bytes DefaultFtyp() {
  Bytes p = {'i', 's', 'o', 'm'};
  Put32(p, 0x200);
  for (char c : std::string("isomiso2avc1mp41")) p.push_back(uint8_t(c));
  return MakeBox("ftyp", p);
}

}  // namespace

std::string RepairedName(const std::string& damagedPath) {
  return fs::path(damagedPath).stem().string() + "_repaired.MP4";
}

std::string FindReference(const std::string& damagedPath, std::string& error, const WalkProgress& progress,
                          bool* cancelled) {
  if (cancelled) *cancelled = false;
  const DamageCheck check = CheckRecording(damagedPath);
  InputFile in;
  if (check.state != FileState::Damaged || !in.Open(damagedPath)) {
    error = "the recording " + damagedPath + " is not a damaged recording";
    return {};
  }
  const fs::path self = fs::absolute(damagedPath);
  std::vector<fs::path> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(self.parent_path(), ec))
    if (e.is_regular_file(ec) && IsRecordingName(e.path())) names.push_back(e.path());
  std::sort(names.begin(), names.end());
  const auto me = std::lower_bound(names.begin(), names.end(), self);
  const size_t mine = size_t(me - names.begin());
  // Nearest first: the one before, the one after, two before, ...
  std::vector<fs::path> order;
  for (size_t d = 1; order.size() < kMaxCandidates && (d <= mine || mine + d < names.size()); ++d) {
    if (d <= mine) order.push_back(names[mine - d]);
    if (mine + d < names.size()) order.push_back(names[mine + d]);
  }
  std::string lastProblem;
  for (const fs::path& candidate : order) {
    if (progress && !progress(0, check.fileSize)) {
      if (cancelled) *cancelled = true;
      error = "cancelled";
      return {};
    }
    if (candidate == self || SameFile(candidate.string(), damagedPath)) continue;
    Reference ref;
    std::string why;
    if (CheckRecording(candidate.string()).state != FileState::Healthy) continue;
    if (!LoadReference(candidate.string(), ref, why)) continue;
    uint64_t badAt = 0;
    bool stop = false;
    if (Fits(in, check, ref, badAt, progress, &stop)) return candidate.string();
    if (stop) {
      if (cancelled) *cancelled = true;
      error = "cancelled";
      return {};
    }
    lastProblem = LayoutMessage(ref, badAt);
  }
  error = "no complete recording with the same tracks in the folder of " + damagedPath;
  if (!lastProblem.empty()) error += " (nearest: " + lastProblem + ")";
  return {};
}

RepairResult RepairRecording(const RepairRequest& request) {
  RepairResult result;
  const DamageCheck check = CheckRecording(request.damaged);
  result.totalBytes = 0;
  for (const MediaRange& r : check.media) result.totalBytes += r.dataEnd - r.dataBegin;
  switch (check.state) {
    case FileState::Unreadable:
      result.status = RepairStatus::Unreadable;
      result.message = "cannot open " + request.damaged;
      return result;
    case FileState::NotMp4:
      result.message = request.damaged + " is not an MP4 recording";
      return result;
    case FileState::Healthy:
      result.status = RepairStatus::NotDamaged;
      result.message = request.damaged + " is not damaged: nothing to repair";
      return result;
    case FileState::Damaged:
      break;
  }
  if (check.media.empty()) {
    result.message = request.damaged + " holds no media data";
    return result;
  }
  InputFile in;
  if (!in.Open(request.damaged)) {
    result.status = RepairStatus::Unreadable;
    result.message = "cannot open " + request.damaged;
    return result;
  }

  Reference ref;
  std::string error;
  result.reference = request.reference;
  if (result.reference.empty()) {
    bool cancelled = false;
    result.reference = FindReference(request.damaged, error, request.progress, &cancelled);
    if (cancelled) {
      result.status = RepairStatus::Cancelled;
      result.message = "the repair of " + request.damaged + " was cancelled";
      return result;
    }
    if (result.reference.empty()) {
      result.status = RepairStatus::NoReference;
      result.message = error;
      return result;
    }
  } else {
    InputFile probe;
    if (!probe.Open(result.reference)) {
      result.status = RepairStatus::Unreadable;
      result.message = "cannot open the reference " + result.reference;
      return result;
    }
  }
  if (!LoadReference(result.reference, ref, error)) {
    result.status = RepairStatus::NoReference;
    result.message = error;
    return result;
  }
  uint64_t badAt = 0;
  bool cancelled = false;
  if (!Fits(in, check, ref, badAt, request.progress, &cancelled)) {
    if (cancelled) {
      result.status = RepairStatus::Cancelled;
      result.message = "the repair of " + request.damaged + " was cancelled";
      return result;
    }
    result.status = RepairStatus::LayoutMismatch;
    result.message = LayoutMessage(ref, badAt);
    return result;
  }

  result.output = request.output.empty() ? RepairedName(request.damaged) : request.output;
  std::error_code ec;
  const fs::file_status outStatus = fs::symlink_status(result.output, ec);
  if (fs::exists(outStatus) && !fs::is_regular_file(outStatus)) {
    result.status = RepairStatus::WriteFailed;
    result.message = "the output " + result.output + " is not a regular file";
    return result;
  }
  if (SameFile(result.output, request.damaged) || SameFile(result.output, result.reference)) {
    result.status = RepairStatus::WriteFailed;
    result.message = "the output " + result.output + " would replace an input file";
    return result;
  }
  const Bytes ftyp = check.ftypSize > 0 && check.ftypSize < 4096 ? in.Read(check.ftypOffset, check.ftypSize)
                     : !ref.ftyp.empty()                        ? ref.ftyp
                                                                : DefaultFtyp();
  const uint64_t first = check.media.front().dataBegin;
  RepairedFile file;
  if (!file.Start(result.output, ftyp, in, first, check.media.back().dataEnd)) {
    result.status = RepairStatus::WriteFailed;
    result.message = "cannot write " + result.output;
    return result;
  }

  const WalkResult walk = WalkMedia(in, check.media, ref, 0, request.progress);
  if (walk.cancelled) {
    result.status = RepairStatus::Cancelled;
    result.message = "the repair of " + request.damaged + " was cancelled";
    return result;
  }
  if (!walk.problem.empty()) {
    result.status = RepairStatus::NothingFound;
    result.message = walk.problem;
    return result;
  }
  result.video = walk.Count(TrackKind::Video, ref);
  result.audio = walk.Count(TrackKind::Audio, ref);
  result.text = walk.Count(TrackKind::Text, ref);
  result.coveredBytes = walk.coveredBytes;
  if (result.video + result.audio == 0) {
    result.message = "no video or audio sample recognised in " + request.damaged;
    return result;
  }
  for (const auto& [at, bytes] : walk.skipped)
    result.message += (result.message.empty() ? "" : "; ") + std::to_string(bytes) +
                      " unrecognised bytes skipped at byte " + std::to_string(at);
  if (walk.stuck && check.media.back().dataEnd - walk.stoppedAt > CutSlack(ref))
    result.message += (result.message.empty() ? "" : "; ") + std::string("the media data from byte ") +
                      std::to_string(walk.stoppedAt) + " to byte " + std::to_string(check.media.back().dataEnd) +
                      " could not be read and was left out";
  // From here on the walk is done: the progress stays at its end while the pictures' order is
  // read and the copy finishes, and a stop still ends the repair at once.
  const auto keepGoing = [&] { return !request.progress || request.progress(walk.totalBytes, walk.totalBytes); };
  const auto cancelledResult = [&] {
    result.status = RepairStatus::Cancelled;
    result.message = "the repair of " + request.damaged + " was cancelled";
    return result;
  };
  std::vector<Composition> times(ref.tracks.size());
  for (size_t t = 0; t < ref.tracks.size(); ++t) {
    bool stopped = false;
    times[t] = PresentationTimes(in, ref.tracks[t], walk.tracks[t], walk.skipped, keepGoing, &stopped);
    if (stopped) return cancelledResult();
  }
  const MoovPieces moov = BuildMoovPieces(ref, walk.tracks, file.Shift(), times);
  if (!keepGoing()) return cancelledResult();
  if (!file.WaitForCopy(keepGoing)) {
    if (!keepGoing()) return cancelledResult();
    result.status = RepairStatus::WriteFailed;
    result.message = "cannot write " + result.output;
    return result;
  }
  if (!file.Finish(walk.end - first, [&moov](const RepairedFile::MoovSink& sink) { return moov.Write(sink); })) {
    result.status = RepairStatus::WriteFailed;
    result.message = "cannot write " + result.output;
    return result;
  }
  result.status = RepairStatus::Repaired;
  return result;
}

}  // namespace korvane::repair
