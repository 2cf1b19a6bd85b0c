// The channel benchmark: plays a moment of several channels in the real viewer and samples,
// every 50 ms, each other channel's reported position against the main channel's instant.
// Prints the largest and the median difference in frames and the viewer's CPU. Asserts nothing.
// KORVANE_BENCH_SHOT=<file.png> saves a picture of the screen at the end of the sampling.
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

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
#include "viewer_harness.h"

using namespace korvane;

namespace {
constexpr double kFrame = 10000000.0 / 30;

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_moment <moment folder> [seconds]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 180;
    ViewerHarness v(folder);
    if (!v.WaitForThumbnails(120000)) {
        std::printf("%s: the moment did not show\n", qPrintable(folder));
        return 1;
    }
    v.DoubleClick(v.NormalCell(0));
    PlaybackController& p = v.player();
    MomentChannels& others = v.viewer().OtherChannels();
    if (!QTest::qWaitFor([&] { return p.State() == PlayState::Playing && others.Count() > 0; }, 30000)) {
        std::printf("%s: no other channel played\n", qPrintable(folder));
        return 1;
    }
    (void)QTest::qWaitFor([&] {
        for (int i = 0; i < others.Count(); ++i)
            if (!others.Inset(i)->isVisible())
                return false;
        return true;
    }, 30000);
    // From two seconds in, when every channel runs.
    (void)QTest::qWaitFor([&] { return ReadPosition(*p.Current()) > 20000000; }, 30000);
    std::vector<std::vector<double>> drift(others.Count());
    const double cpuStart = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const std::int64_t end = p.Current()->duration - 20000000;
    while (clock.elapsed() < qint64(seconds) * 1000 && p.State() == PlayState::Playing &&
           ReadPosition(*p.Current()) < end) {
        QTest::qWait(50);
        const std::int64_t main = ReadPosition(*p.Current());
        for (int i = 0; i < others.Count(); ++i) {
            if (others.Lost(i))
                continue;
            const std::int64_t target = main - others.Lead(i);
            if (target < 0 || target > others.Client(i).duration)
                continue;
            drift[i].push_back(double(std::llabs(ReadPosition(others.Client(i)) - target)) / kFrame);
        }
    }
    const double wall = clock.elapsed() / 1000.0;
    // A picture of the window for a look at the insets, when asked for.
    if (const QByteArray shot = qgetenv("KORVANE_BENCH_SHOT"); !shot.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(shot));
    const double cpu = CpuSeconds() - cpuStart;
    std::printf("%s: %d other channel(s), %.0f s of play\n", qPrintable(folder), int(others.Count()), wall);
    for (int i = 0; i < others.Count(); ++i) {
        std::vector<double>& d = drift[i];
        if (d.empty())
            continue;
        std::sort(d.begin(), d.end());
        std::printf("  channel %c: samples %zu, largest difference %.2f frames, median %.2f, 95th %.2f\n",
                    others.Letter(i).toLatin1(), d.size(), d.back(), d[d.size() / 2], d[d.size() * 95 / 100]);
    }
    std::printf("  viewer CPU beside the kernels: %.1f %% of a core\n", 100.0 * cpu / wall);
    return 0;
}
