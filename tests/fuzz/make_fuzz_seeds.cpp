// Writes the seed corpora of the fuzz targets: small valid recordings of every form and a few
// lines of each text form.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/mp4write/mp4write.h"

namespace w = korvane::mp4write;

namespace {

const std::string kSub =
    "$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,10.0,90.0,170921,,,A*7C  G: 0.120 Time:2021/09/17 05:00:45";
const std::string kDollar = "$210917,050045,0A14$$FF,A,3539.12345,13945.12345,100";

w::TrackSpec Track(const char* handler, std::vector<w::Bytes> samples) {
  w::TrackSpec t;
  t.handler = handler;
  t.samples = std::move(samples);
  return t;
}

w::Bytes File(bool text, std::vector<w::Bytes> before, bool moovFirst = false) {
  w::FileSpec spec;
  spec.tracks = {Track("vide", {w::Bytes(20, 1), w::Bytes(30, 2)}), Track("soun", {w::Bytes(10, 3)})};
  if (text) spec.tracks.push_back(Track("sbtl", {w::TextSample(kSub), w::TextSample(kSub + "\n")}));
  spec.moovBeforeTracks = std::move(before);
  spec.moovFirst = moovFirst;
  return w::BuildFile(spec);
}

void Put(const std::filesystem::path& dir, const std::string& name, const w::Bytes& data) {
  std::filesystem::create_directories(dir);
  w::WriteFile((dir / name).string(), data);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  Put(root / "walk", "subtitle.mp4", File(true, {w::CommentUdta("KOVAGPS:0001")}));
  Put(root / "walk", "subtitle_moov_first.mp4", File(true, {}, true));
  Put(root / "walk", "dollar.mp4", File(false, {w::CommentUdta(kDollar + "\n" + kDollar + "\n")}));
  Put(root / "walk", "gps.mp4", File(false, {w::CommentUdta(std::string("GPS\x01\0\0\0\x40", 8) + kDollar + "\n")}));
  Put(root / "walk", "largesize.mp4", File(true, {w::LargeBox("free", w::Bytes(8, 0))}));
  Put(root / "subtitle", "line.txt", w::Text(kSub + "\n" + kSub));
  Put(root / "dollar", "line.txt", w::Text(kDollar + "\n" + kDollar));
  Put(root / "comment", "dollar.txt", w::Text(kDollar + "\n\n" + kDollar));
  Put(root / "comment", "gps.txt", w::Text(std::string("GPS\x01\0\0\0\x40", 8) + kDollar));
  Put(root / "comment", "marker.txt", w::Text("KOVAGPS:0001"));
  return 0;
}
