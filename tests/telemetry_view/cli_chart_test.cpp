// korvane-cli chart run as a real process: the PNG is the viewer's drawing of the recording,
// pixel for pixel, and the exit status tells bad input from a missing recording.
#include <gtest/gtest.h>

#include <QImage>
#include <QSet>
#include <filesystem>

#include "fixtures.h"
#include "mp4parse/load_telemetry.h"
#include "run_process.h"
#include "telemetry_view/chart_painter.h"
#include "tools/cli/movie_duration.h"

using namespace korvane;
using namespace korvane::test;

namespace {

const std::string kSamples = KORVANE_SAMPLES_DIR;

std::unique_ptr<TelemetryTrack> LoadTrack(const std::string& path)
{
    auto track = std::make_unique<TelemetryTrack>();
    Mp4Parser parser;
    std::vector<std::string> lines;
    bool gpsSeen = false;
    LoadTelemetry(path, "", parser, lines, *track, gpsSeen);
    return track;
}

class CliChart : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(kSamples + "/20250614080000.MP4"))
            GTEST_SKIP() << "the sample card is made by the samples target";
    }
    TempDir dir_;
};

TEST_F(CliChart, SampleRecordingIsTheViewersDrawingInExactColours)
{
    const std::string rec = kSamples + "/20250614080000.MP4";
    const std::string png = dir_.Path("chart.png");
    const ProcessResult r = RunCli({"chart", "--width", "600", "--height", "150", "-o", png, rec});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(600, 150));

    const auto track = LoadTrack(rec);
    const std::optional<std::int64_t> duration = cli::MovieDuration100ns(rec);
    ASSERT_TRUE(duration.has_value());
    EXPECT_NEAR(static_cast<double>(*duration), 200000000.0, 1000000.0);  // a 20-second recording
    const ChartDrawing d = ComputeChart(*track, *duration, 600, 150, 100);
    EXPECT_EQ(d.columns, 2);
    EXPECT_EQ(image, RenderChart(d));

    // Independently of the painter: the border, the colours present and the last G point.
    EXPECT_EQ(image.pixel(0, 0), chart_colours::kGrid.rgb());
    EXPECT_EQ(image.pixel(599, 149), chart_colours::kGrid.rgb());
    // The G line is drawn last: each of its points inside the plot is amber.
    int inside = 0;
    for (const ChartSegment& s : d.gLine) {
        if (!QRect(0, 0, 600, 150).contains(s.to))
            continue;
        ++inside;
        EXPECT_EQ(image.pixel(s.to), chart_colours::kGForce.rgb()) << s.to.x() << "," << s.to.y();
    }
    EXPECT_GT(inside, 10);
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            seen.insert(image.pixel(x, y));
    // The first four seconds have no fix (grey), the rest has (green); nothing else is drawn.
    EXPECT_EQ(seen, (QSet<QRgb>{chart_colours::kGrid.rgb(), chart_colours::kBackground.rgb(),
                                chart_colours::kSpeedFix.rgb(), chart_colours::kSpeedNoFix.rgb(),
                                chart_colours::kGForce.rgb()}));
}

TEST_F(CliChart, DurationOptionSetsTheColumns)
{
    const std::string rec = kSamples + "/20250614080000.MP4";
    const std::string png = dir_.Path("c.png");
    ASSERT_EQ(RunCli({"chart", "--duration-ms", "35000", "--width", "400", "--height", "100", "-o", png, rec}).status, 0);
    const ChartDrawing d = ComputeChart(*LoadTrack(rec), 350000000, 400, 100, 100);
    EXPECT_EQ(d.columns, 4);
    EXPECT_EQ(QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32), RenderChart(d));
}

TEST_F(CliChart, NoTelemetryDrawsTheGridOnly)
{
    const std::string png = dir_.Path("grid.png");
    const ProcessResult r =
        RunCli({"chart", "--width", "120", "--height", "40", "-o", png, kSamples + "/P20250614081000.MP4"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_TRUE(p == chart_colours::kGrid.rgb() || p == chart_colours::kBackground.rgb()) << x << "," << y;
        }
}

struct ExitCase {
    const char* name;
    std::vector<std::string> args;  // "@" stands for the recording, "#" for the output
    int status;
};

TEST_F(CliChart, ExitStatusAndOneLineMessage)
{
    const std::string bad = "$210917,050045,0AZQ,A,3539.12345,13945.12345,100";
    const std::string badRec = dir_.Path("bad.MP4");
    w::WriteFile(badRec, Recording({}, {w::CommentUdta(JoinLines({bad}))}));
    const std::string good = kSamples + "/20250614080000.MP4";
    const std::vector<ExitCase> cases = {
        {"missing recording", {"--width", "100", "--height", "100", "-o", "#", dir_.Path("absent.MP4")}, 2},
        {"width too small", {"--width", "15", "--height", "100", "-o", "#", "@"}, 64},
        {"height too large", {"--width", "100", "--height", "4097", "-o", "#", "@"}, 64},
        {"width not a number", {"--width", "1e3", "--height", "100", "-o", "#", "@"}, 64},
        {"duration out of range", {"--duration-ms", "-2", "--width", "100", "--height", "100", "-o", "#", "@"}, 64},
        {"unknown option", {"--colour", "--width", "100", "--height", "100", "-o", "#", "@"}, 64},
        {"two recordings", {"--width", "100", "--height", "100", "-o", "#", "@", "@"}, 64},
        {"no width", {"--height", "100", "-o", "#", "@"}, 64},
        {"unwritable output", {"--width", "100", "--height", "100", "-o", dir_.Path("no/such/dir/x.png"), "@"}, 1},
        {"bad G pair", {"--width", "100", "--height", "100", "-o", "#", badRec}, 1},
        {"no output named", {"--width", "100", "--height", "100", "@"}, 64},
        {"smallest and largest", {"--width", "16", "--height", "4096", "-o", "#", "@"}, 0},
    };
    for (const ExitCase& c : cases) {
        std::vector<std::string> args = {"chart"};
        for (const std::string& a : c.args)
            args.push_back(a == "@" ? good : a == "#" ? dir_.Path("out.png") : a);
        const ProcessResult r = RunCli(args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        if (c.status != 0) {
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.name << ": " << r.err;
            EXPECT_EQ(r.err.rfind("korvane-cli: ", 0), 0u) << c.name;
        }
    }
}

} // namespace

// A camera that wrote speeds no double holds, or that become infinite in km/h, and a G value
// beyond a double: the chart is drawn with those samples as samples without a speed.
TEST_F(CliChart, SpeedsBeyondADoubleDrawLikeMissingSpeeds)
{
    for (const char* speed : {"1e999", "1e308"}) {
        std::vector<std::string> lines;
        for (int i = 0; i < 30; ++i) {
            std::string line = SubtitleLine(i);
            if (i >= 10 && i < 20) {
                const size_t at = line.find(",E,") + 3;
                line.replace(at, line.find(',', at) - at, speed);
            }
            lines.push_back(line);
        }
        const std::string rec = dir_.Path(std::string("huge_") + speed + ".MP4");
        w::WriteFile(rec, Recording(lines));
        const auto track = LoadTrack(rec);
        EXPECT_EQ(track->samples[15].speedKmh, NoSpeed) << speed;
        EXPECT_LT(track->maxSpeed, NoSpeed) << speed;

        const std::string png = dir_.Path("huge.png");
        const ProcessResult r = RunCli({"chart", "--width", "300", "--height", "100", "-o", png, rec});
        ASSERT_EQ(r.status, 0) << speed << ": " << r.err;
        const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
        const std::optional<std::int64_t> duration = cli::MovieDuration100ns(rec);
        ASSERT_TRUE(duration.has_value());
        EXPECT_EQ(image, RenderChart(ComputeChart(*track, *duration, 300, 100, 100))) << speed;
    }
}
