// The whole load: side-car or MP4, then the decode into the caller's lines and track.
#include <gtest/gtest.h>

#include "fixtures.h"
#include "mp4parse/binary_stream.h"
#include "mp4parse/load_telemetry.h"

namespace korvane::test {
namespace {

struct Channel {  // the members a playback channel offers
  std::string mediaPath;
  std::string sidecarPath;
  std::vector<std::string> lines;
  TelemetryTrack track;
};

TEST(LoadTelemetry, SidecarWinsAndTheMp4IsNotOpened) {
  TempDir dir;
  // The "recording" is a folder: opening it would raise; the side-car must be taken instead.
  w::WriteFile(dir.Path("rec.GPS"), w::Text(DollarLine(0) + "\r\n" + DollarLine(1) + "\n\n" + DollarLine(2)));
  Mp4Parser parser;
  Channel ch{dir.dir(), dir.Path("rec.GPS"), {"old"}, {}};
  bool seen = false;
  EXPECT_EQ(LoadChannelTelemetry(ch, parser, seen), DataTypeGps);
  EXPECT_EQ(ch.lines, (std::vector<std::string>{DollarLine(0), DollarLine(1), "", DollarLine(2)}));
  EXPECT_EQ(ch.track.dataType, DataTypeGps);
  EXPECT_EQ(ch.track.sampleCount, 4);
  EXPECT_EQ(ch.track.validCount, 1);  // only line 0 is read for samples 0-9
  EXPECT_TRUE(seen);
}

TEST(LoadTelemetry, AbsentSidecarFallsBackToTheMp4) {
  TempDir dir;
  std::vector<std::string> text = {SubtitleLine(0), SubtitleLine(1)};
  w::WriteFile(dir.Path("rec.MP4"), Recording(text));
  Mp4Parser parser;
  Channel ch{dir.Path("rec.MP4"), dir.Path("rec.GPS"), {}, {}};
  bool seen = false;
  EXPECT_EQ(LoadChannelTelemetry(ch, parser, seen), DataTypeSubtitle);
  EXPECT_EQ(ch.lines, text);
  EXPECT_EQ(ch.track.sampleCount, 2);
  EXPECT_EQ(ch.track.dataType, DataTypeSubtitle);
}

TEST(LoadTelemetry, NothingFoundLeavesTheTrackButStoresTheType) {
  TempDir dir;
  w::WriteFile(dir.Path("rec.MP4"), Recording({}));
  Mp4Parser parser;
  Channel ch{dir.Path("rec.MP4"), "", {"old line"}, {}};
  ch.track.validCount = 7;
  ch.track.dataType = DataTypeDollar;
  bool seen = false;
  EXPECT_EQ(LoadChannelTelemetry(ch, parser, seen), DataTypeNone);
  EXPECT_TRUE(ch.lines.empty());
  EXPECT_EQ(ch.track.validCount, 7);
  EXPECT_EQ(ch.track.dataType, DataTypeNone);
  EXPECT_FALSE(seen);
}

TEST(LoadTelemetry, OpenFailureChangesNothing) {
  TempDir dir;
  Mp4Parser parser;
  Channel ch{dir.dir(), "", {"kept"}, {}};
  ch.track.sampleCount = 3;
  bool seen = false;
  EXPECT_THROW(LoadChannelTelemetry(ch, parser, seen), MP4::BinaryStreamException);
  EXPECT_EQ(ch.lines, std::vector<std::string>{"kept"});
  EXPECT_EQ(ch.track.sampleCount, 3);
}

TEST(LoadTelemetry, BadGPairEndsTheLoad) {
  TempDir dir;
  const std::string bad = "$210917,050045,0AZZ,A,3539.12345,13945.12345,100";
  w::WriteFile(dir.Path("rec.MP4"), Recording({}, {w::CommentUdta(JoinLines({DollarLine(0), bad}))}));
  Mp4Parser parser;
  Channel ch{dir.Path("rec.MP4"), "", {}, {}};
  bool seen = false;
  EXPECT_THROW(LoadChannelTelemetry(ch, parser, seen), TelemetryConversionError);
  EXPECT_EQ(ch.lines.size(), 20u);
  EXPECT_EQ(ch.track.samples[9].dateTime, "2021/09/17 05:00:00");
  EXPECT_EQ(ch.track.sampleCount, 0);
}

TEST(LoadTelemetry, LinesOnlyCore) {
  TempDir dir;
  w::WriteFile(dir.Path("rec.MP4"), Recording({}, {w::CommentUdta(JoinLines({DollarLine(0)}))}));
  Mp4Parser parser;
  const TelemetryLoadResult r = LoadTelemetryLines(dir.Path("rec.MP4"), "", parser);
  EXPECT_EQ(r.dataType, DataTypeDollar);
  EXPECT_EQ(r.lines, Repeat(DollarLine(0), 10));
  EXPECT_EQ(parser.lines, r.lines);
}

}  // namespace
}  // namespace korvane::test
