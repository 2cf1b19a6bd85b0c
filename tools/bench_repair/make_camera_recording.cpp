// make_camera_recording SOURCE OUTPUT REPEAT [CUT...]: writes SOURCE's samples REPEAT times in the
// camera's layout to OUTPUT and prints the file size; for each CUT (a fraction of the mdat like
// 0.5, or a byte count) also writes OUTPUT.cutN with the first bytes kept and the mdat size zeroed,
// and prints "cut=BYTES video=N audio=M text=T" (the samples wholly in the kept bytes).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/bench_repair/camera_layout.h"

int main(int argc, char** argv) {
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
    const double v = std::atof(argv[i]);
    const uint64_t mdatEnd = rec.samples.empty() ? rec.mdatBegin : rec.samples.back().offset + rec.samples.back().size;
    const uint64_t keep = v <= 1.0 ? rec.mdatBegin + uint64_t(double(mdatEnd - rec.mdatBegin) * v) : uint64_t(v);
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
