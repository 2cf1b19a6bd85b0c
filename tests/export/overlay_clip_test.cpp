// The overlay clip on small recordings made here with the real ffmpeg: the frames of exactly
// In..Out, the band burned into the bottom rows and the picture above it kept, the audio copied,
// a range over two recordings, a stop and a range outside the recordings leaving nothing.
#include "export/export_overlay.h"
#include "run_process.h"
#include "telemetry_band/readout_band.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace korvane {
namespace {
using test::HaveProgram;
using test::RunProcess;

constexpr int kWidth = 320, kHeight = 240, kRate = 30;

// A 4-second recording: moving test picture, key frame every second, B-frames, AAC sound.
bool MakeRecording(const QString& path)
{
    const auto r = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                               "testsrc2=size=320x240:rate=30", "-f", "lavfi", "-i",
                               "sine=frequency=440:sample_rate=48000", "-t", "4", "-c:v", "libx264", "-g", "30",
                               "-bf", "2", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest",
                               path.toStdString()});
    return r.status == 0;
}

int CountFrames(const QString& path, const char* stream)
{
    const auto r = RunProcess({"ffprobe", "-v", "error", "-count_frames", "-select_streams", stream,
                               "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", path.toStdString()});
    return r.status == 0 && !r.out.empty() ? std::stoi(r.out) : -1;
}

// Picture n of a file as 8-bit luma.
QByteArray Luma(const QString& path, int n)
{
    const auto r = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", path.toStdString(), "-vf",
                               "select=eq(n\\," + std::to_string(n) + ")", "-frames:v", "1", "-f", "rawvideo",
                               "-pix_fmt", "gray", "pipe:1"});
    return QByteArray::fromStdString(r.out);
}

double Psnr(const QByteArray& a, const QByteArray& b, int fromRow, int toRow)
{
    double sum = 0;
    for (int y = fromRow; y < toRow; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double d = double(quint8(a[y * kWidth + x])) - double(quint8(b[y * kWidth + x]));
            sum += d * d;
        }
    const double mse = sum / double((toRow - fromRow) * kWidth);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

class OverlayClip : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveProgram("ffmpeg") || !HaveProgram("ffprobe"))
            GTEST_SKIP() << "ffmpeg is not installed";
        ASSERT_TRUE(dir_.isValid());
        first_ = dir_.path() + QStringLiteral("/20240105_120000.MP4");
        ASSERT_TRUE(MakeRecording(first_));
        out_ = dir_.path() + QStringLiteral("/out/clip_overlay.MP4");
        ASSERT_TRUE(QDir().mkpath(dir_.path() + QStringLiteral("/out")));
    }
    QStringList Left() const { return QDir(dir_.path() + QStringLiteral("/out")).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir_;
    QString first_, out_;
};

TEST_F(OverlayClip, HoldsExactlyInToOutWithTheBandBurnedInAndTheAudio)
{
    ExportProgress progress;
    // In at 1.5 s lies between key frames; Out at 3 s.
    const ExportRange range{{first_}, 1'500'000, 3'000'000};
    const auto done = WriteOverlayClip(range, false, out_, progress);
    ASSERT_TRUE(done) << done.error().detail.toStdString();
    EXPECT_EQ(Left(), QStringList{QStringLiteral("clip_overlay.MP4")});
    EXPECT_EQ(CountFrames(out_, "v:0"), 45);
    EXPECT_GT(CountFrames(out_, "a:0"), 0);
    EXPECT_EQ(progress.permille.load(), 1000);

    const int bandTop = kHeight - BandHeight(kHeight);
    for (int n : {0, 20, 44}) {
        const QByteArray clip = Luma(out_, n), original = Luma(first_, 45 + n);
        ASSERT_EQ(clip.size(), kWidth * kHeight);
        ASSERT_EQ(original.size(), kWidth * kHeight);
        EXPECT_GT(Psnr(clip, original, 0, bandTop), 32.0) << "picture " << n << " above the band";
        EXPECT_LT(Psnr(clip, original, bandTop, kHeight), 20.0) << "picture " << n << " in the band";
    }
}

TEST_F(OverlayClip, StartsWithThePictureShownAtAnInBetweenTwoFrames)
{
    ExportProgress progress;
    // 1.51 s lies inside picture 45 (1.5 to 1.533 s): it comes first; Out at 2.01 s inside 60.
    const auto done = WriteOverlayClip(ExportRange{{first_}, 1'510'000, 2'010'000}, false, out_, progress);
    ASSERT_TRUE(done) << done.error().detail.toStdString();
    EXPECT_EQ(CountFrames(out_, "v:0"), 16);
    const int bandTop = kHeight - BandHeight(kHeight);
    EXPECT_GT(Psnr(Luma(out_, 0), Luma(first_, 45), 0, bandTop), 32.0);
    EXPECT_GT(Psnr(Luma(out_, 15), Luma(first_, 60), 0, bandTop), 32.0);
}

TEST_F(OverlayClip, RunsOverTwoRecordings)
{
    const QString second = dir_.path() + QStringLiteral("/20240105_120100.MP4");
    ASSERT_TRUE(QFile::copy(first_, second));
    ExportProgress progress;
    // From 3 s into the first to the end of the second: 30 + 120 pictures.
    const auto done = WriteOverlayClip(ExportRange{{first_, second}, 3'000'000, -1}, true, out_, progress);
    ASSERT_TRUE(done) << done.error().detail.toStdString();
    EXPECT_EQ(CountFrames(out_, "v:0"), 150);
    // The picture after the joint is the second recording's first.
    EXPECT_GT(Psnr(Luma(out_, 30), Luma(second, 0), 0, kHeight - BandHeight(kHeight)), 32.0);
}

TEST_F(OverlayClip, AStopOrABadRangeLeavesNothing)
{
    ExportProgress stopped;
    stopped.stopRequested = true;
    auto r = WriteOverlayClip(ExportRange{{first_}, 0, -1}, false, out_, stopped);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, ExportFailure::Stopped);
    EXPECT_TRUE(Left().isEmpty());

    struct Case {
        ExportRange range;
        ExportFailure kind;
    };
    const Case cases[] = {
        {{{first_}, 3'000'000, 2'000'000}, ExportFailure::BadInput},
        {{{first_}, 0, 60'000'000}, ExportFailure::BadInput},
        {{{}, 0, -1}, ExportFailure::BadInput},
        {{{dir_.path() + QStringLiteral("/missing.MP4")}, 0, -1}, ExportFailure::Unreadable},
    };
    for (const Case& c : cases) {
        ExportProgress progress;
        r = WriteOverlayClip(c.range, false, out_, progress);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().kind, c.kind) << r.error().detail.toStdString();
        EXPECT_TRUE(Left().isEmpty());
    }
}

TEST(ReadoutBand, ShowsTheValuesOfTheSampleInTheUnitAsked)
{
    TelemetrySample s;
    s.Reset();
    s.dateTime = "2024/01/05 12:00:13";
    s.fixValid = 1;
    s.latitude = 35.65858;
    s.longitude = 139.74544;
    s.speedKmh = 100;
    s.gText = "G:0.25";
    s.gForce = 0.25;
    EXPECT_EQ(BandTexts(BandValuesOf(s, false)),
              (QStringList{"2024/01/05 12:00:13", "100 km/h", "35.658580, 139.745440", "G 0.25"}));
    EXPECT_EQ(BandTexts(BandValuesOf(s, true))[1], QStringLiteral("62 mph"));
    TelemetrySample none;
    none.Reset();
    const QStringList dashes = BandTexts(BandValuesOf(none, false));
    EXPECT_EQ(dashes[1], QStringLiteral("- km/h"));
    EXPECT_EQ(dashes[3], QStringLiteral("G -"));
    EXPECT_EQ(BandHeight(240) % 2, 0);
    EXPECT_EQ(BandHeight(1080), 78);
}

} // namespace
} // namespace korvane
