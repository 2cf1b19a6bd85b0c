// Synthetic recordings for the walk, load and tool tests, built with the box writer.
#pragma once

#include <string>
#include <vector>

#include "tools/mp4write/mp4write.h"

namespace korvane::test {

namespace w = korvane::mp4write;

// A fresh empty folder under the system temp folder, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

// Video and audio tracks with a few samples of bytes and multi-entry stts tables.
w::TrackSpec VideoTrack();
w::TrackSpec AudioTrack();
// The camera's text track: one TextSample per line.
w::TrackSpec TextTrack(const std::vector<std::string>& lines);

// A file with video, audio and (when `text` is non-empty) a text track; `beforeTracks` and
// `afterTracks` are whole boxes put into moov.
w::Bytes Recording(const std::vector<std::string>& text, std::vector<w::Bytes> beforeTracks = {},
                   std::vector<w::Bytes> afterTracks = {});

// A subtitle line of the camera's text track for sample i (fix, position, speed i knots,
// G 0.0i, time 2021/09/17 05:00:ss).
std::string SubtitleLine(int i);
// A "$" line for second s (time 05:mm:ss from s): fix A, speed s*10 tenths of a knot, G pairs "0A14".
std::string DollarLine(int s);
// `count` lines joined by LF.
std::string JoinLines(const std::vector<std::string>& lines);
std::vector<std::string> Repeat(const std::string& line, int count);

}  // namespace korvane::test
