// Camera-layout recordings and power-loss cuts for the repair tests and benchmark.
#include "tools/bench_repair/camera_layout.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "mp4repair/box_io.h"
#include "mp4repair/moov_build.h"
#include "mp4repair/presentation_times.h"
#include "mp4repair/reference.h"

namespace korvane::camera {

using repair::Bytes;

bool WriteCameraRecording(const std::string& source, const std::string& output, int repeat, double chunkSeconds,
                          CameraRecording& out, std::string& error) {
  out = CameraRecording{};
  repair::Reference ref;
  if (!repair::LoadReference(source, ref, error)) return false;
  repair::InputFile in;
  if (!in.Open(source)) {
    error = "cannot open " + source;
    return false;
  }
  struct Timed {
    double time;
    size_t track;
    repair::TableSample sample;
  };
  std::vector<std::vector<repair::TableSample>> tables;
  double duration = 0;
  for (size_t t = 0; t < ref.tracks.size(); ++t) {
    tables.push_back(repair::ReferenceSamples(ref, t));
    const auto& m = ref.tracks[t];
    if (tables.back().empty() || m.timescale == 0) {
      error = "cannot read the sample tables of " + source;
      return false;
    }
    duration = std::max(duration, double(tables.back().size()) * m.sampleDelta / m.timescale);
  }
  // Chunk number first, then track order, then time: the camera's interleaving.
  std::vector<Timed> order;
  for (int r = 0; r < repeat; ++r)
    for (size_t t = 0; t < tables.size(); ++t)
      for (size_t i = 0; i < tables[t].size(); ++i)
        order.push_back({r * duration + double(i) * ref.tracks[t].sampleDelta / ref.tracks[t].timescale, t, tables[t][i]});
  std::stable_sort(order.begin(), order.end(), [&](const Timed& a, const Timed& b) {
    const long ca = long(std::floor(a.time / chunkSeconds)), cb = long(std::floor(b.time / chunkSeconds));
    if (ca != cb) return ca < cb;
    return a.track < b.track;
  });
  uint64_t dataBytes = 0;
  for (const Timed& s : order) dataBytes += s.sample.size;
  const bool large = dataBytes + 8 > 0xFFFFFFFFu;
  Bytes header;
  if (large) {
    repair::Put32(header, 1);
    header.insert(header.end(), {'m', 'd', 'a', 't'});
    repair::Put64(header, dataBytes + 16);
  } else {
    repair::Put32(header, uint32_t(dataBytes + 8));
    header.insert(header.end(), {'m', 'd', 'a', 't'});
  }
  std::ofstream file(output, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(ref.ftyp.data()), std::streamsize(ref.ftyp.size()));
  file.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
  out.mdatBegin = ref.ftyp.size();
  uint64_t at = ref.ftyp.size() + header.size();
  std::vector<repair::SampleList> placed(tables.size()), fromSource(tables.size());
  Bytes buffer;
  for (const Timed& s : order) {
    buffer.resize(s.sample.size);
    if (in.ReadAt(s.sample.offset, buffer.data(), s.sample.size) != s.sample.size) {
      error = "cannot read a sample of " + source;
      return false;
    }
    file.write(reinterpret_cast<const char*>(buffer.data()), std::streamsize(buffer.size()));
    if (!placed[s.track].Add(at, s.sample.size, s.sample.key) ||
        !fromSource[s.track].Add(s.sample.offset, s.sample.size, s.sample.key)) {
      error = "the samples of " + source + " are not in file order";
      return false;
    }
    out.samples.push_back({s.track, at, s.sample.size});
    at += s.sample.size;
  }
  std::vector<repair::Composition> times(tables.size());
  for (size_t t = 0; t < tables.size(); ++t) times[t] = repair::PresentationTimes(in, ref.tracks[t], fromSource[t]);
  const Bytes moov = repair::BuildMoov(ref, placed, 0, times);
  file.write(reinterpret_cast<const char*>(moov.data()), std::streamsize(moov.size()));
  file.close();
  if (!file) {
    error = "cannot write " + output;
    return false;
  }
  out.fileSize = at + moov.size();
  return true;
}

bool CutAsPowerLoss(const std::string& source, const std::string& output, uint64_t keep, std::string& error) {
  repair::InputFile in;
  if (!in.Open(source) || keep > in.Size()) {
    error = "cannot read " + source;
    return false;
  }
  uint64_t at = 0;
  uint64_t zeroAt = UINT64_MAX;
  repair::BoxHeader h;
  while (repair::ReadHeader(in, at, in.Size(), h) == repair::HeaderResult::Ok) {
    if (h.type == "mdat" && at < keep && keep <= at + h.size) zeroAt = at;
    at += h.size;
  }
  std::ofstream file(output, std::ios::binary | std::ios::trunc);
  Bytes buffer(4u << 20);
  for (uint64_t done = 0; done < keep;) {
    const uint64_t n = std::min<uint64_t>(buffer.size(), keep - done);
    if (in.ReadAt(done, buffer.data(), n) != n) {
      error = "cannot read " + source;
      return false;
    }
    if (zeroAt != UINT64_MAX && zeroAt >= done && zeroAt < done + n)
      for (uint64_t k = 0; k < 4 && zeroAt - done + k < n; ++k) buffer[zeroAt - done + k] = 0;
    file.write(reinterpret_cast<const char*>(buffer.data()), std::streamsize(n));
    done += n;
  }
  file.close();
  if (!file) {
    error = "cannot write " + output;
    return false;
  }
  return true;
}

std::vector<size_t> SamplesWithin(const CameraRecording& rec, size_t tracks, uint64_t keep) {
  std::vector<size_t> n(tracks, 0);
  for (const PlacedSample& s : rec.samples)
    if (s.track < tracks && s.offset + s.size <= keep) ++n[s.track];
  return n;
}

}  // namespace korvane::camera
