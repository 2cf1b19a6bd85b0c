// The route drawing and the continuation rule, without a browser: a record of the map
// operations stands in for the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "map/route_builder.h"

using namespace korvane;

namespace {

// The map operations as the page would apply them.
class RecordedMap : public RouteMapOps {
public:
    struct Marker { double lat, lon; QString title; };
    std::vector<Marker> markers{{0, 0, QStringLiteral("TMarker")}, {0, 0, QStringLiteral("TMarker")}};
    std::vector<std::vector<std::pair<double, double>>> lines;
    std::pair<double, double> centre{0, 0};
    int zoom = 17;
    int moves = 0;
    bool autoUpdate = false;

    int MarkerCount() const override { return static_cast<int>(markers.size()); }
    void ClearMarkers() override { markers.clear(); }
    void AddMarker(double lat, double lon, const QString& title) override { markers.push_back({lat, lon, title}); }
    int LineCount() const override { return static_cast<int>(lines.size()); }
    void ClearLines() override { lines.clear(); }
    int AddLine(const QColor& colour, int weight) override
    {
        EXPECT_EQ(colour, QColor(255, 0, 0));
        EXPECT_EQ(weight, 3);
        lines.emplace_back();
        return LineCount() - 1;
    }
    void AddPoint(int line, double lat, double lon) override { lines.at(line).push_back({lat, lon}); }
    void SetCenter(double lat, double lon) override { centre = {lat, lon}; }
    void SetZoom(int z) override { zoom = z; }
    void MoveMarker(double lat, double lon, bool switchAuto) override
    {
        ++moves;
        autoUpdate = autoUpdate || switchAuto;
        markers.at(0).lat = lat;
        markers.at(0).lon = lon;
        centre = {lat, lon};
    }
};

// A text track of n samples: no fix and no speed before firstFix, then a fix moving north.
TelemetryTrack TextTrack(int n, int firstFix, int dataType = DataTypeSubtitle)
{
    TelemetryTrack t;
    t.dataType = dataType;
    t.sampleCount = n;
    for (int i = 0; i < n; ++i) {
        TelemetrySample& s = t.samples[i];
        s.speedKmh = NoSpeed;
        if (i >= firstFix) {
            s.fixValid = 1;
            s.latitude = 35.0 + i * 0.0001;
            s.longitude = 139.0;
            s.speedKmh = 40;
        }
    }
    return t;
}

const QString kPath0 = QStringLiteral("/card/20250614120000.MP4");
const QString kPath1 = QStringLiteral("/card/20250614120100.MP4");
const QString kPath2 = QStringLiteral("/card/20250614120200.MP4");

} // namespace

struct MinuteCase { const char* current; const char* previous; bool next; };

class NextMinute : public ::testing::TestWithParam<MinuteCase> {};

TEST_P(NextMinute, ReadsMinuteAndSecondFromTheEnd)
{
    const MinuteCase c = GetParam();
    EXPECT_EQ(IsNextMinuteRecording(QString::fromLatin1(c.current), QString::fromLatin1(c.previous)), c.next)
        << c.current << " after " << c.previous;
}

INSTANTIATE_TEST_SUITE_P(Table, NextMinute, ::testing::Values(
    MinuteCase{"/card/20250614120100.MP4", "/card/20250614120000.MP4", true},
    MinuteCase{"/card/20250614120100.MP4", "/card/20250614120059.MP4", true},    // 12:00:59 → 12:01:00
    MinuteCase{"/card/20250614120001.MP4", "/card/20250614115900.MP4", true},    // 59 → 00, seconds 1 apart
    MinuteCase{"/card/20250614120200.MP4", "/card/20250614120000.MP4", false},   // two minutes
    MinuteCase{"/card/20250614120105.MP4", "/card/20250614120000.MP4", false},   // seconds 5 apart
    MinuteCase{"/card/20250614120000.MP4", "/card/20250614120000.MP4", false},   // the same one
    MinuteCase{"/card/20250615120100.MP4", "/card/20250614120000.MP4", true},    // date not compared
    MinuteCase{"120100.MP4", "/card/20250614120000.MP4", false},                 // too short
    MinuteCase{"/card/20250614120100.MP4", "", false},                           // nothing drawn yet
    MinuteCase{"/card/2025061412xx00.MP4", "/card/20250614120000.MP4", false})); // no digits

TEST(RouteBuilder, TextTrackStartsAtSampleZeroWhenTheFirstFixIsEarly)
{
    RecordedMap map;
    RouteState state;
    TelemetrySample current;
    const TelemetryTrack t = TextTrack(200, 40);
    ASSERT_TRUE(BuildRouteForTextTrack(map, state, t, kPath0, true, current));
    ASSERT_EQ(map.lines.size(), 1u);
    EXPECT_EQ(map.lines[0].size(), 160u);          // samples without speed are skipped
    EXPECT_EQ(state.firstFixIndex, 40);
    EXPECT_EQ(map.markers.size(), 2u);             // the "TMarker"s stay for a text track
    EXPECT_DOUBLE_EQ(current.latitude, t.samples[199].latitude);
    EXPECT_EQ(state.previousRouteFile, kPath0);
}

TEST(RouteBuilder, TextTrackStartsAtALateFirstFix)
{
    RecordedMap map;
    RouteState state;
    TelemetrySample current;
    TelemetryTrack t = TextTrack(300, 150);
    t.samples[10].speedKmh = 20;   // a speed without a fix before it is not drawn from
    ASSERT_TRUE(BuildRouteForTextTrack(map, state, t, kPath0, true, current));
    EXPECT_EQ(state.firstFixIndex, 150);
    EXPECT_EQ(map.lines[0].size(), 150u);
    EXPECT_DOUBLE_EQ(map.lines[0].front().first, t.samples[150].latitude);
}

TEST(RouteBuilder, TextTrackWithoutFixDrawsNothing)
{
    RecordedMap map;
    map.markers.clear();
    RouteState state;
    TelemetrySample current;
    ASSERT_FALSE(BuildRouteForTextTrack(map, state, TextTrack(50, 1000), kPath0, true, current));
    EXPECT_TRUE(map.lines.empty());
    ASSERT_EQ(map.markers.size(), 1u);                   // "Auto" at the default location
    EXPECT_EQ(map.markers[0].title, QStringLiteral("Auto"));
    EXPECT_DOUBLE_EQ(map.markers[0].lat, DefaultLatitude);
    EXPECT_EQ(state.previousRouteFile, kPath0);
}

struct LineCase { QString second; bool clearFirst; size_t lines; size_t lastPoints; };

class RouteLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(RouteLines, NextMinuteContinuesTheLine)
{
    const LineCase c = GetParam();
    RecordedMap map;
    RouteState state;
    TelemetrySample current;
    const TelemetryTrack t = TextTrack(100, 0);
    ASSERT_TRUE(BuildRouteForTextTrack(map, state, t, kPath0, true, current));
    ASSERT_TRUE(BuildRouteForTextTrack(map, state, t, c.second, c.clearFirst, current));
    EXPECT_EQ(map.lines.size(), c.lines);
    EXPECT_EQ(map.lines.back().size(), c.lastPoints);
}

INSTANTIATE_TEST_SUITE_P(Table, RouteLines, ::testing::Values(
    LineCase{kPath1, false, 1, 200},    // 12:01:00 after 12:00:00: one line
    LineCase{kPath2, false, 2, 100},    // 12:02:00: a new line
    LineCase{kPath1, true, 1, 100}));   // history off: the map starts empty

TEST(RouteBuilder, BlocksReplaceTheMarkersAndDrawMissingPositionsAtTheDefault)
{
    RecordedMap map;
    RouteState state;
    TelemetrySample current;
    TelemetryTrack t = TextTrack(120, 0, DataTypeDollar);
    t.samples[50].latitude = 0;
    ASSERT_TRUE(BuildRouteForBlocks(map, state, t, kPath0, true, current));
    ASSERT_EQ(map.markers.size(), 1u);
    EXPECT_EQ(map.markers[0].title, QStringLiteral("Auto"));
    ASSERT_EQ(map.lines[0].size(), 120u);
    EXPECT_DOUBLE_EQ(map.lines[0][50].first, DefaultLatitude);
    EXPECT_EQ(state.firstFixIndex, 0);
}

// The camera's own block forms draw a lost position at the default location; another camera's
// fixes leave it out, so a tunnel does not draw a line to the default location and back.
TEST(RouteBuilder, AnotherCamerasLostFixesLeaveNoSpike)
{
    struct Case { int dataType; size_t points; };
    for (const Case& c : {Case{DataTypeGps, 120u}, Case{DataTypeDollar, 120u}, Case{DataTypeFixes, 110u}}) {
        SCOPED_TRACE(c.dataType);
        RecordedMap map;
        RouteState state;
        TelemetrySample current;
        TelemetryTrack t = TextTrack(120, 0, c.dataType);
        for (int i = 60; i < 70; ++i) {
            t.samples[i].fixValid = 0;
            t.samples[i].latitude = 0;
            t.samples[i].longitude = 0;
        }
        ASSERT_TRUE(BuildRouteForBlocks(map, state, t, kPath0, true, current));
        ASSERT_EQ(map.lines.size(), 1u);
        EXPECT_EQ(map.lines[0].size(), c.points);
        const bool spike = std::any_of(map.lines[0].begin(), map.lines[0].end(),
                                       [](const auto& p) { return p.first == DefaultLatitude; });
        EXPECT_EQ(spike, c.dataType != DataTypeFixes);
    }
}

TEST(RouteBuilder, BlocksWithoutFixDrawOnePoint)
{
    RecordedMap map;
    RouteState state;
    TelemetrySample current;
    ASSERT_TRUE(BuildRouteForBlocks(map, state, TextTrack(30, 1000, DataTypeGps), kPath0, true, current));
    ASSERT_EQ(map.lines.size(), 1u);
    ASSERT_EQ(map.lines[0].size(), 1u);
    EXPECT_DOUBLE_EQ(map.lines[0][0].second, DefaultLongitude);
    EXPECT_EQ(state.firstFixIndex, 0);
}

TEST(RouteBuilder, SampleCountBeyondTheCapacityIsCut)
{
    RecordedMap map;
    RouteState state;
    TelemetrySample current;
    TelemetryTrack t = TextTrack(static_cast<int>(TrackCapacity), 0);
    t.sampleCount = 5000;
    ASSERT_TRUE(BuildRouteForTextTrack(map, state, t, kPath0, true, current));
    EXPECT_EQ(map.lines[0].size(), TrackCapacity);
    EXPECT_FALSE(MoveRouteMarker(map, t, 4000));
}

TEST(RouteBuilder, MarkerMovesOnlyToFixedPositions)
{
    RecordedMap map;
    const TelemetryTrack t = TextTrack(100, 40);
    EXPECT_FALSE(MoveRouteMarker(map, t, 10));
    EXPECT_FALSE(MoveRouteMarker(map, t, -1));
    EXPECT_EQ(map.moves, 0);
    EXPECT_TRUE(MoveRouteMarker(map, t, 60));
    EXPECT_TRUE(map.autoUpdate);
    EXPECT_DOUBLE_EQ(map.centre.first, t.samples[60].latitude);
}

TEST(RouteBuilder, CenterFallsBackToTheFirstFixWithoutSwitchingAutoUpdate)
{
    RecordedMap map;
    RouteState state;
    const TelemetryTrack t = TextTrack(100, 40, DataTypeDollar);
    EXPECT_FALSE(CenterRouteMap(map, state, t, 10));
    state.firstFixIndex = 40;
    EXPECT_TRUE(CenterRouteMap(map, state, t, 10));
    EXPECT_DOUBLE_EQ(map.centre.first, t.samples[40].latitude);
    EXPECT_TRUE(CenterRouteMap(map, state, t, 70));
    EXPECT_DOUBLE_EQ(map.markers[0].lat, t.samples[70].latitude);
    EXPECT_FALSE(map.autoUpdate);
}

// Positions no place has (not finite, or beyond the ranges) are no position: nothing of them
// reaches the page, whichever way the route is built or followed.
TEST(RouteBuilder, PositionsThatAreNoPlaceNeverReachThePage)
{
    const double bad[][2] = {{NAN, 139.0}, {35.0, INFINITY}, {9e307, 139.0}, {35.0, -1e300}, {91.0, 139.0}};
    for (const int type : {DataTypeSubtitle, DataTypeDollar}) {
        TelemetryTrack t = TextTrack(60, 0, type);
        for (int i = 0; i < 60; ++i) {
            t.samples[i].latitude = bad[i % 5][0];
            t.samples[i].longitude = bad[i % 5][1];
        }
        t.samples[30].latitude = 35.5;
        t.samples[30].longitude = 139.5;
        RecordedMap map;
        RouteState state;
        TelemetrySample current;
        if (type == DataTypeSubtitle)
            BuildRouteForTextTrack(map, state, t, kPath0, true, current);
        else
            BuildRouteForBlocks(map, state, t, kPath0, true, current);
        for (int i = 0; i < 60; ++i) {
            MoveRouteMarker(map, t, i);
            CenterRouteMap(map, state, t, i);
        }
        auto placeable = [](double lat, double lon) {
            return std::isfinite(lat) && std::isfinite(lon) && std::fabs(lat) <= 90 && std::fabs(lon) <= 180;
        };
        for (const auto& line : map.lines)
            for (const auto& [lat, lon] : line)
                EXPECT_TRUE(placeable(lat, lon)) << type << ": " << lat << "," << lon;
        for (const auto& m : map.markers)
            EXPECT_TRUE(placeable(m.lat, m.lon)) << type << ": " << m.lat << "," << m.lon;
        EXPECT_TRUE(placeable(map.centre.first, map.centre.second)) << type;
        EXPECT_FALSE(HasPosition(t.samples[0]));
        EXPECT_TRUE(HasPosition(t.samples[30]));
    }
}
