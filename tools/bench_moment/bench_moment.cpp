// The channel benchmark: plays a moment of several channels in the real viewer and samples,
// every 50 ms, each other channel's position against the main channel's instant, both taken for
// the same instant from the kernels' stamped reports. Every second it also captures the screen
// and reads the frame numbers the fixtures carry (frame_code.h) from the main panel and from
// each inset, as a cross-check of what is shown. Prints the largest, median and 95th percentile
// difference in frames of both, and the viewer's CPU. Asserts nothing.
// KORVANE_BENCH_SHOT=<file.png> saves a picture of the screen at the end of the sampling.
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

#include "app/app_shell.h"
#include "app/viewer.h"
#include "library/thumbnail_cell.h"
#include "player/moment_channels.h"
#include "player/playback_controller.h"
#include "bench_start.h"
#include "frame_code.h"
#include "seam_freeze.h"
#include "kernel/kernel_slot.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {
constexpr double kFrame = 10000000.0 / 30;

struct Spread {
    std::vector<double> values;
    void Print(const char* what, QChar letter)
    {
        if (values.empty()) {
            std::printf("  channel %c, %s: no samples\n", letter.toLatin1(), what);
            return;
        }
        std::sort(values.begin(), values.end());
        std::printf("  channel %c, %s: samples %zu, largest difference %.2f frames, median %.2f, 95th %.2f\n",
                    letter.toLatin1(), what, values.size(), values.back(), values[values.size() / 2],
                    values[values.size() * 95 / 100]);
    }
};

double CpuSeconds(int who = RUSAGE_SELF)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_moment <moment folder> [seconds] | --seam <folder of two moments>\n");
        return 2;
    }
    if (QByteArray(argv[1]) == "--seam" && argc > 2)
        return bench::MeasureSeam(QString::fromLocal8Bit(argv[2]));
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 180;
    ViewerHarness v(folder);
    if (!bench::PlayFirstMoment(v, folder, true))
        return 1;
    PlaybackController& p = v.player();
    MomentChannels& others = v.viewer().OtherChannels();
    // From two seconds in, when every channel runs.
    (void)QTest::qWaitFor([&] { return ReadPosition(*p.Current()) > 20000000; }, 30000);
    std::vector<Spread> drift(others.Count()), shown(others.Count());
    int captures = 0, unreadable = 0;
    double benchCpu = 0;
    std::vector<double> worst(others.Count(), -1.0), worstAt(others.Count(), 0.0);   // and where
    const double cpuStart = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    qint64 nextCapture = 1000;
    const std::int64_t end = p.Current()->duration - 20000000;
    const QSize mainVideo(1920, 1080), otherVideo(1280, 720);
    while (clock.elapsed() < qint64(seconds) * 1000 && p.State() == PlayState::Playing &&
           ReadPosition(*p.Current()) < end) {
        QTest::qWait(50);
        const uint32_t now = SlotClockMs();
        const std::int64_t main = PositionAt(*p.Current(), now);
        for (int i = 0; i < others.Count(); ++i) {
            if (others.Lost(i))
                continue;
            const std::int64_t target = main - others.Lead(i);
            if (target < 0 || target > others.Client(i).duration)
                continue;
            const double frames = double(std::llabs(PositionAt(others.Client(i), now) - target)) / kFrame;
            if (frames > worst[i]) {
                worst[i] = frames;
                worstAt[i] = double(main) / 1e7;
            }
            drift[i].values.push_back(frames);
        }
        if (clock.elapsed() < nextCapture)
            continue;
        // What the screen shows: the frame number in the main panel and in every inset, read
        // from one capture so that they are seen at the same instant.
        nextCapture += 1000;
        // The benchmark's own work is not the viewer's: the capture and its reading are counted
        // apart and taken off the CPU figure.
        const double benchStart = CpuSeconds(RUSAGE_THREAD);
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        ++captures;
        const auto mainFrame =
            bench::ReadFrameCode(screen, bench::FittedPicture(bench::OnScreen(p.Current()->panel), mainVideo));
        for (int i = 0; i < others.Count(); ++i) {
            const auto otherFrame =
                bench::ReadFrameCode(screen, bench::FittedPicture(bench::OnScreen(others.Inset(i)), otherVideo));
            if (!mainFrame || !otherFrame) {
                ++unreadable;
                continue;
            }
            const double leadFrames = double(others.Lead(i)) / kFrame;
            shown[i].values.push_back(std::abs(double(*mainFrame) - leadFrames - double(*otherFrame)));
        }
        benchCpu += CpuSeconds(RUSAGE_THREAD) - benchStart;
    }
    const double wall = clock.elapsed() / 1000.0;
    // A picture of the window for a look at the insets, when asked for.
    if (const QByteArray shot = qgetenv("KORVANE_BENCH_SHOT"); !shot.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(shot));
    const double cpu = CpuSeconds() - cpuStart - benchCpu;
    std::printf("%s: %d other channel(s), %.0f s of play, %d screen captures (%d panel reads failed)\n",
                qPrintable(folder), int(others.Count()), wall, captures, unreadable);
    for (int i = 0; i < others.Count(); ++i) {
        drift[i].Print("kernel positions", others.Letter(i));
        std::printf("    (the largest at %.1f s of the main channel)\n", worstAt[i]);
        shown[i].Print("frames on screen", others.Letter(i));
    }
    std::printf("  viewer CPU beside the kernels: %.1f %% of a core (the captures' %.1f %% taken off)\n",
                100.0 * cpu / wall, 100.0 * benchCpu / wall);
    return 0;
}
