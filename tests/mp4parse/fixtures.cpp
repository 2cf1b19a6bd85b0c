#include "fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace korvane::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "korvane-mp4-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

w::TrackSpec VideoTrack() {
  w::TrackSpec t;
  t.handler = "vide";
  t.timescale = 30000;
  for (int i = 0; i < 6; ++i) t.samples.push_back(w::Bytes(100 + i, static_cast<uint8_t>(i)));
  // Entries whose bytes would read as box headers ("trak", "stco") if the walk got out of step.
  t.stts = std::vector<w::SttsEntry>{{3, 0x7472616B}, {3, 0x7374636F}};
  return t;
}

w::TrackSpec AudioTrack() {
  w::TrackSpec t;
  t.handler = "soun";
  t.timescale = 48000;
  for (int i = 0; i < 4; ++i) t.samples.push_back(w::Bytes(50, 0xAA));
  t.stts = std::vector<w::SttsEntry>{{2, 1024}, {1, 1024}, {1, 512}};
  return t;
}

w::TrackSpec TextTrack(const std::vector<std::string>& lines) {
  w::TrackSpec t;
  t.handler = "sbtl";
  t.timescale = 1000;
  t.sampleDelta = 100;
  for (const std::string& l : lines) t.samples.push_back(w::TextSample(l));
  return t;
}

w::Bytes Recording(const std::vector<std::string>& text, std::vector<w::Bytes> beforeTracks,
                   std::vector<w::Bytes> afterTracks) {
  w::FileSpec spec;
  spec.tracks = {VideoTrack(), AudioTrack()};
  if (!text.empty()) spec.tracks.push_back(TextTrack(text));
  spec.moovBeforeTracks = std::move(beforeTracks);
  spec.moovAfterTracks = std::move(afterTracks);
  return w::BuildFile(spec);
}

std::string SubtitleLine(int i) {
  char buf[200];
  std::snprintf(buf, sizeof buf,
                "$GPRMC,0500%02d.00,A,3539.12345,N,13945.12345,E,%d.0,90.0,170921,,,A*7C  G: 0.%02d0 "
                "Time:2021/09/17 05:00:%02d",
                (i / 10) % 60, i, i % 100, (i / 10) % 60);
  return buf;
}

std::string DollarLine(int s) {
  char buf[200];
  std::snprintf(buf, sizeof buf, "$210917,05%02d%02d,0A14,A,3539.12345,13945.12345,%d", (s / 60) % 60, s % 60,
                s * 10);
  return buf;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::vector<std::string> Repeat(const std::string& line, int count) {
  return std::vector<std::string>(static_cast<size_t>(count), line);
}

}  // namespace korvane::test
