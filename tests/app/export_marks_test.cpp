// The export marks: where In and Out land, what a recording switch does to them and the range
// they give the export.
#include "app/export_marks.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

using namespace korvane;

namespace {

constexpr std::int64_t kMinute = 60'000'000;
const QString kA = QStringLiteral("/card/NORMAL/20240105_120000.MP4");
const QString kB = QStringLiteral("/card/NORMAL/20240105_120100.MP4");   // the minute after A
const QString kC = QStringLiteral("/card/NORMAL/20240105_120200.MP4");   // the minute after B
const QString kFar = QStringLiteral("/card/NORMAL/20240105_130000.MP4"); // unrelated

struct MarksCase {
    const char* name;
    std::function<void(ExportMarks&)> steps;
    QStringList recordings;   // empty: no range
    std::int64_t inUs;
    std::int64_t outUs;
};

void PrintTo(const MarksCase& c, std::ostream* os) { *os << c.name; }

class MarksTable : public ::testing::TestWithParam<MarksCase> {};

TEST_P(MarksTable, GivesTheRange)
{
    const MarksCase& c = GetParam();
    ExportMarks marks;
    c.steps(marks);
    const std::optional<ExportRange> range = marks.Range();
    if (c.recordings.isEmpty()) {
        EXPECT_FALSE(range.has_value());
        return;
    }
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(range->recordings, c.recordings);
    EXPECT_EQ(range->inUs, c.inUs);
    EXPECT_EQ(range->outUs, c.outUs);
}

INSTANTIATE_TEST_SUITE_P(
    ExportMarks, MarksTable,
    ::testing::Values(
        MarksCase{"NothingShown", [](ExportMarks&) {}, {}, 0, 0},
        MarksCase{"NoMarksIsTheWholeRecording", [](ExportMarks& m) { m.Opened(kA, 1, kMinute); }, {kA}, 0, -1},
        MarksCase{"InsideOneRecording",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(10'000'000);
                      m.SetOut(25'500'000);
                  },
                  {kA}, 10'000'000, 25'500'000},
        MarksCase{"InOnlyRunsToTheEndOfItsRecording",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(10'000'000);
                  },
                  {kA}, 10'000'000, -1},
        MarksCase{"OutOnlyStartsAtItsRecording",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetOut(5'000'000);
                  },
                  {kA}, 0, 5'000'000},
        MarksCase{"InAfterOutClearsOut",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetOut(5'000'000);
                      m.SetIn(20'000'000);
                  },
                  {kA}, 20'000'000, -1},
        MarksCase{"OutBeforeInClearsIn",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(20'000'000);
                      m.SetOut(5'000'000);
                  },
                  {kA}, 0, 5'000'000},
        MarksCase{"AcrossAContinuousPlaySwitch",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(50'000'000);
                      m.Opened(kB, 1, kMinute + 100'000);
                      m.SetOut(7'000'000);
                  },
                  {kA, kB}, 50'000'000, kMinute + 7'000'000},
        MarksCase{"AcrossThreeRecordings",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(59'000'000);
                      m.Opened(kB, 1, kMinute + 100'000);
                      m.Opened(kC, 1, kMinute);
                      m.SetOut(1'000'000);
                  },
                  {kA, kB, kC}, 59'000'000, 2 * kMinute + 100'000 + 1'000'000},
        MarksCase{"RangeStartsAtInsRecordingNotTheRunsFirst",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.Opened(kB, 1, kMinute);
                      m.SetIn(3'000'000);
                      m.Opened(kC, 1, kMinute);
                      m.SetOut(4'000'000);
                  },
                  {kB, kC}, 3'000'000, kMinute + 4'000'000},
        MarksCase{"UnrelatedOpenClearsTheMarks",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(10'000'000);
                      m.SetOut(20'000'000);
                      m.Opened(kFar, 1, kMinute);
                  },
                  {kFar}, 0, -1},
        MarksCase{"TheNextMinuteOfTheOtherGroupIsUnrelated",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(10'000'000);
                      m.Opened(kB, 0, kMinute);
                  },
                  {kB}, 0, -1},
        MarksCase{"GoingBackInTheRunKeepsTheMarks",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(10'000'000);
                      m.Opened(kB, 1, kMinute);
                      m.SetOut(20'000'000);
                      m.Opened(kA, 1, kMinute);
                  },
                  {kA, kB}, 10'000'000, kMinute + 20'000'000},
        MarksCase{"MarksAreKeptInsideTheRecording",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(-5);
                      m.SetOut(kMinute + 999);
                  },
                  {kA}, 0, kMinute},
        MarksCase{"ClearForgetsEverything",
                  [](ExportMarks& m) {
                      m.Opened(kA, 1, kMinute);
                      m.SetIn(10'000'000);
                      m.Clear();
                  },
                  {}, 0, 0}),
    [](const ::testing::TestParamInfo<MarksCase>& info) { return std::string(info.param.name); });

TEST(ExportMarks, FractionsOnTheCurrentRecording)
{
    ExportMarks marks;
    EXPECT_FALSE(marks.FractionOnCurrent(marks.In()).has_value());
    marks.Opened(kA, 1, kMinute);
    marks.SetIn(15'000'000);
    EXPECT_DOUBLE_EQ(*marks.FractionOnCurrent(marks.In()), 0.25);
    EXPECT_FALSE(marks.FractionOnCurrent(marks.Out()).has_value());
    marks.Opened(kB, 1, kMinute);
    marks.SetOut(30'000'000);
    // In lies in the recording before: left of the bar.
    EXPECT_LT(*marks.FractionOnCurrent(marks.In()), 0.0);
    EXPECT_DOUBLE_EQ(*marks.FractionOnCurrent(marks.Out()), 0.5);
    marks.Opened(kA, 1, kMinute);
    EXPECT_GT(*marks.FractionOnCurrent(marks.Out()), 1.0);
}

} // namespace
