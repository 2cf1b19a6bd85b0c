// make_camera_recording --cut SOURCE OUTPUT FRACTION: writes OUTPUT as SOURCE cut by power loss
// at FRACTION of its (first) mdat's data and prints "cut=BYTES".
// make_camera_recording SOURCE OUTPUT REPEAT [CUT...]: writes SOURCE's samples REPEAT times in the
// camera's layout to OUTPUT and prints the file size; for each CUT (a fraction of the mdat like
// 0.5, a byte count, or vF / tF: half-way into the video / text sample at fraction F) also writes OUTPUT.cutN with the first bytes kept and the mdat size zeroed,
// and prints "cut=BYTES video=N audio=M text=T" (the samples wholly in the kept bytes).
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "mp4repair/box_io.h"
#include "tools/bench_repair/camera_layout.h"

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--cut") {
    korvane::repair::InputFile in;
    korvane::repair::BoxHeader h;
    uint64_t at = 0, keep = 0;
    std::string error;
    if (!in.Open(argv[2])) return 1;
    while (keep == 0 && korvane::repair::ReadHeader(in, at, in.Size(), h) == korvane::repair::HeaderResult::Ok) {
      if (h.type == "mdat") keep = h.PayloadOffset() + uint64_t(double(h.size - h.headerSize) * std::atof(argv[4]));
      at += h.size;
    }
    if (keep == 0 || !korvane::camera::CutAsPowerLoss(argv[2], argv[3], keep, error)) {
      std::fprintf(stderr, "make_camera_recording: cannot cut %s %s\n", argv[2], error.c_str());
      return 1;
    }
    std::printf("cut=%llu\n", (unsigned long long)keep);
    return 0;
  }
  if (argc < 4) {
    std::fprintf(stderr, "usage: make_camera_recording SOURCE OUTPUT REPEAT [CUT...]\n");
    return 64;
  }
  korvane::camera::CameraRecording rec;
  std::string error;
  if (!korvane::camera::WriteCameraRecording(argv[1], argv[2], std::atoi(argv[3]), 1.0, rec, error)) {
    std::fprintf(stderr, "make_camera_recording: %s\n", error.c_str());
    return 1;
  }
  std::printf("size=%llu\n", (unsigned long long)rec.fileSize);
  for (int i = 4; i < argc; ++i) {
    const std::string arg = argv[i];
    const uint64_t mdatEnd = rec.samples.empty() ? rec.mdatBegin : rec.samples.back().offset + rec.samples.back().size;
    uint64_t keep = 0;
    if (arg[0] == 'v' || arg[0] == 't') {
      // Half-way into the video (v) or text (t) sample found at that fraction of the file.
      const size_t track = arg[0] == 'v' ? 0 : 2;
      std::vector<const korvane::camera::PlacedSample*> of;
      for (const auto& s : rec.samples)
        if (s.track == track) of.push_back(&s);
      if (of.empty()) {
        std::fprintf(stderr, "make_camera_recording: no samples of track %zu\n", track);
        return 1;
      }
      const auto* s = of[std::min(of.size() - 1, size_t(double(of.size()) * std::atof(arg.c_str() + 1)))];
      keep = s->offset + s->size / 2;
    } else {
      const double v = std::atof(arg.c_str());
      keep = v <= 1.0 ? rec.mdatBegin + uint64_t(double(mdatEnd - rec.mdatBegin) * v) : uint64_t(v);
    }
    const std::string out = std::string(argv[2]) + ".cut" + std::to_string(i - 3);
    if (!korvane::camera::CutAsPowerLoss(argv[2], out, keep, error)) {
      std::fprintf(stderr, "make_camera_recording: %s\n", error.c_str());
      return 1;
    }
    const auto n = korvane::camera::SamplesWithin(rec, 3, keep);
    std::printf("cut=%llu video=%zu audio=%zu text=%zu %s\n", (unsigned long long)keep, n[0], n[1], n[2], out.c_str());
  }
  return 0;
}
