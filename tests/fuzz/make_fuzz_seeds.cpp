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

// An "mdat" box holding one freeGPS block of the float layout, and the same listed by a "gps "
// box in a movie box.
w::Bytes FreeGpsFile(bool listed) {
  std::string block(0x100, '\0');
  const unsigned char head[] = {0, 0, 1, 0, 'f', 'r', 'e', 'e', 'G', 'P', 'S', ' ', 0x4C};
  block.replace(0, sizeof head, reinterpret_cast<const char*>(head), sizeof head);
  const unsigned char record[] = {12, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 23, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                                  'A', 'N', 'E', 0, 0x2A, 0x7E, 0x5D, 0x45, 0x9F, 0x5C, 0x5A, 0x46};
  block.replace(0x30, sizeof record, reinterpret_cast<const char*>(record), sizeof record);
  std::string file = std::string("\0\0\0\x18" "ftypisom\0\0\0\0isomavc1", 24);
  const std::string mdat = std::string("\0\0\x01\x08mdat", 8) + block;
  const size_t blockAt = file.size() + 8;
  file += mdat;
  if (listed) {
    std::string gps = std::string("\0\0\0\x18gps \0\0\x01\x01\0\0\0\x01", 16);
    gps += std::string{0, 0, 0, static_cast<char>(blockAt)} + std::string("\0\0\x01\0", 4);
    file += std::string("\0\0\0\x20moov", 8) + gps;
  }
  return w::Bytes(file.begin(), file.end());
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
  Put(root / "nmea", "prefixed.gps",
      w::Text("[1672574400000]$GPRMC,120000.00,A,4042.76656,N,07400.35844,W,10.25,45.0,010123,,,A*72\r\n"
              "[1672574400000]$GPGGA,120000.00,4042.76656,N,07400.35844,W,1,08,0.9,45.0,M,39.0,M,,*4C\r\n"));
  Put(root / "nmea", "plain.nmea", w::Text("$GNRMC,120500.00,V,,,,,,45.0,010123,,,A*74\n$GNGGA,120500.00,,,,,0,00,,,M,,M,,*50\n"));
  Put(root / "freegps", "scan.mp4", FreeGpsFile(false));
  Put(root / "freegps", "listed.mp4", FreeGpsFile(true));
  return 0;
}
