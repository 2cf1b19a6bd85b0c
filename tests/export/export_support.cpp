#include "export_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace korvane::test {

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

}  // namespace

std::string SamplesFolder() {
  std::error_code ec;
  const std::string folder = KORVANE_SAMPLES_DIR;
  return std::filesystem::is_regular_file(folder + "/20250614080000.MP4", ec) ? folder : std::string();
}

std::vector<std::string> PictureDigests(const std::string& path) {
  const ProcessResult r =
      RunProcess({"ffmpeg", "-v", "error", "-nostdin", "-i", path, "-map", "0:v", "-f", "framemd5", "-"});
  std::vector<std::string> out;
  for (const std::string& line : Lines(r.out))
    if (!line.empty() && line[0] != '#') out.push_back(line);
  return out;
}

std::string DigestOf(const std::string& line) {
  const size_t comma = line.rfind(',');
  std::string d = comma == std::string::npos ? line : line.substr(comma + 1);
  d.erase(0, d.find_first_not_of(' '));
  return d;
}

std::string DigestAt(const std::string& path, double seconds) {
  char ss[32];
  std::snprintf(ss, sizeof ss, "%.6f", seconds);
  const ProcessResult r = RunProcess({"ffmpeg", "-v", "error", "-nostdin", "-ss", ss, "-accurate_seek", "-i", path,
                                      "-map", "0:v", "-frames:v", "1", "-f", "framemd5", "-"});
  for (const std::string& line : Lines(r.out))
    if (!line.empty() && line[0] != '#') return DigestOf(line);
  return {};
}

double StreamDuration(const std::string& path, int index) {
  const ProcessResult r = RunProcess({"ffprobe", "-v", "error", "-select_streams", std::to_string(index),
                                      "-show_entries", "stream=duration", "-of", "csv=p=0", path});
  try {
    return std::stod(r.out);
  } catch (...) {
    return -1;
  }
}

std::vector<std::string> TelemetryRows(const std::string& recording) {
  std::vector<std::string> lines = Lines(RunCli({"telemetry", recording}).out);
  if (lines.size() >= 2) lines.erase(lines.begin(), lines.begin() + 2);
  return lines;
}

std::vector<std::string> WithoutIndex(const std::vector<std::string>& rows) {
  std::vector<std::string> out;
  for (const std::string& r : rows) out.push_back(r.substr(r.find(',') + 1));
  return out;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace korvane::test
