// Helpers of the repair tests: the sample folder, kept samples, the repair line.
#include "repair_support.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "mp4parse/mp4_parser.h"
#include "mp4repair/damage.h"
#include "mp4repair/reference.h"

namespace korvane::test {

std::string SamplesFolder() {
  std::error_code ec;
  const std::string folder = KORVANE_SAMPLES_DIR;
  return std::filesystem::is_regular_file(folder + "/20250614080000.MP4", ec) ? folder : std::string();
}

namespace {

std::vector<std::vector<repair::TableSample>> Tables(const std::string& path) {
  repair::Reference ref;
  std::string error;
  std::vector<std::vector<repair::TableSample>> out;
  if (!repair::LoadReference(path, ref, error)) return out;
  for (size_t t = 0; t < ref.tracks.size(); ++t) out.push_back(repair::ReferenceSamples(ref, t));
  return out;
}

}  // namespace

std::vector<size_t> SamplesKept(const std::string& path, uint64_t keep) {
  std::vector<size_t> n;
  for (const auto& track : Tables(path)) {
    n.push_back(0);
    for (const repair::TableSample& s : track)
      if (s.offset + s.size <= keep) ++n.back();
  }
  return n;
}

SampleSpan SampleAt(const std::string& path, size_t track, size_t index) {
  const auto tables = Tables(path);
  if (track >= tables.size() || index >= tables[track].size()) return {};
  return {tables[track][index].offset, tables[track][index].size};
}

size_t SampleCount(const std::string& path, size_t track) {
  const auto tables = Tables(path);
  return track < tables.size() ? tables[track].size() : 0;
}

void MediaSpan(const std::string& path, uint64_t& begin, uint64_t& end) {
  const repair::DamageCheck c = repair::CheckRecording(path);
  begin = c.media.empty() ? 0 : c.media.front().dataBegin;
  end = c.media.empty() ? 0 : c.media.back().dataEnd;
}

std::vector<std::string> TelemetryLines(const std::string& path) {
  Mp4Parser parser;
  parser.Load(path);
  return parser.lines;
}

RepairLine ParseRepairOutput(const std::string& out) {
  RepairLine r;
  std::istringstream in(out);
  std::string first;
  std::getline(in, first);
  std::getline(in, r.output);
  unsigned long long v, a, t, b, o;
  char rest = 0;
  r.parsed = std::sscanf(first.c_str(), "video=%llu audio=%llu text=%llu bytes=%llu of=%llu%c", &v, &a, &t, &b, &o,
                         &rest) == 5;
  if (r.parsed) r.video = v, r.audio = a, r.text = t, r.bytes = b, r.of = o;
  return r;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace korvane::test
