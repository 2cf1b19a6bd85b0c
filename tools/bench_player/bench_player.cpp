// The player benchmark: double click to first frame on screen, the frozen time at a
// continuous-play switch beside mpv playing the same two files as a playlist, and the viewer's
// CPU while playing. Prints figures; asserts nothing.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "app/app_shell.h"
#include "app/viewer.h"
#include "library/thumbnail_cell.h"
#include "player/playback_controller.h"
#include "ui/main_window.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {

QImage Grab(const QRect& globalRect)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, globalRect.x(), globalRect.y(), globalRect.width(), globalRect.height())
        .toImage()
        .scaled(64, 36)
        .convertToFormat(QImage::Format_RGB32);
}

double Difference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (a.width() * a.height());
}

QRect GlobalRect(QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Samples a screen area until `done`, returning the longest time between two picture changes
// that lies after the first change.
double LongestFreeze(const QRect& area, const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QImage last = Grab(area);
    double lastChange = -1, longest = 0;
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QImage now = Grab(area);
        const double t = clock.nsecsElapsed() / 1e6;
        if (Difference(now, last) > 1.0) {
            if (lastChange >= 0)
                longest = std::max(longest, t - lastChange);
            lastChange = t;
            last = now;
        }
    }
    return longest;
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_player CARD-FOLDER (three short consecutive recordings)\n");
        return 2;
    }
    const QString card = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QStringList files = QDir(card).entryList({QStringLiteral("*.MP4")}, QDir::Files, QDir::Name);
    if (files.size() < 3) {
        std::fprintf(stderr, "bench_player: %s holds fewer than three recordings\n", argv[1]);
        return 2;
    }

    std::vector<double> firstFrame;
    double viewerFreeze1 = 0, viewerFreeze2 = 0, cpuPercent = 0, cpuPerTickMs = 0;
    {
        ViewerHarness v(card);
        if (!v.WaitForThumbnails()) {
            std::fprintf(stderr, "bench_player: the thumbnails did not come\n");
            return 1;
        }
        PlaybackController& p = v.player();
        const QRect area = GlobalRect(v.window().plVCRBackGround);

        // 1. Double click to the first frame of the recording on screen, alternating two cells
        // whose pictures differ in colour.
        v.window().miContinue->trigger();
        for (int run = 0; run < 10; ++run) {
            // The loaded recording stopped on its first frame: the next recording's first frame
            // differs from it in every coloured pixel (their hues differ).
            p.tbStopClick();
            QTest::qWait(400);
            const QImage before = Grab(area);
            QElapsedTimer clock;
            clock.start();
            v.DoubleClick(v.NormalCell(run % 2 == 0 ? 1 : 0));
            bool shown = QTest::qWaitFor([&] { return Difference(Grab(area), before) > 40; }, 8000);
            if (shown)
                firstFrame.push_back(clock.nsecsElapsed() / 1e6);
            (void)QTest::qWaitFor([&] { return p.playState == 2 && v.shell().flags.viewerIdle; }, 5000);
        }
        p.tbStopClick();

        // 2. The frozen time at both switches of a continuous run over the three recordings.
        v.window().miContinue->trigger();
        int starts = 0;
        QObject::connect(&p, &PlaybackController::playbackStarted, [&] { ++starts; });
        v.DoubleClick(v.NormalCell(0));
        (void)QTest::qWaitFor([&] { return starts == 1; }, 8000);
        QTest::qWait(300);
        // Around the first switch: from 1 s before the end to 1 s after the next start.
        (void)QTest::qWaitFor([&] { return p.playState == 2; }, 1000);
        QTest::qWait(1500);
        QElapsedTimer afterStart;
        bool second = false;
        viewerFreeze1 = LongestFreeze(area, [&] {
            if (!second && starts >= 2) { second = true; afterStart.start(); }
            return second && afterStart.elapsed() > 1000;
        }, 10000);
        QTest::qWait(800);
        bool third = false;
        viewerFreeze2 = LongestFreeze(area, [&] {
            if (!third && starts >= 3) { third = true; afterStart.start(); }
            return third && afterStart.elapsed() > 1000;
        }, 10000);
        (void)QTest::qWaitFor([&] { return p.playState == 0; }, 8000);

        // 3. CPU of the viewer process (its kernels are other processes) while it plays.
        v.window().miContinue->trigger();
        v.DoubleClick(v.NormalCell(0));
        (void)QTest::qWaitFor([&] { return p.playState == 2 && v.shell().flags.viewerIdle; }, 8000);
        int ticks = 0;
        QObject::connect(&p.tmSystem, &QTimer::timeout, [&] { ++ticks; });
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTest::qWait(2000);
        const double cpu = CpuSeconds() - cpu0;
        cpuPercent = 100.0 * cpu / (wall.elapsed() / 1000.0);
        cpuPerTickMs = ticks > 0 ? 1000.0 * cpu / ticks : 0;
    }

    // mpv playing the first two recordings as a playlist, measured the same way.
    double mpvFreeze = -1;
    {
        const QRect area(900, 500, 640, 360);
        QProcess mpv;
        mpv.start(QStringLiteral("mpv"), {QStringLiteral("--no-config"), QStringLiteral("--really-quiet"),
                                          QStringLiteral("--vo=x11"), QStringLiteral("--ao=null"),
                                          QStringLiteral("--osd-level=0"), QStringLiteral("--no-osc"),
                                          QStringLiteral("--no-border"), QStringLiteral("--geometry=640x360+900+500"),
                                          card + QLatin1Char('/') + files[0], card + QLatin1Char('/') + files[1]});
        if (mpv.waitForStarted(3000)) {
            const QImage blank = Grab(area);
            (void)QTest::qWaitFor([&] { return Difference(Grab(area), blank) > 5; }, 5000);
            QTest::qWait(300);
            mpvFreeze = LongestFreeze(area, [&] { return mpv.state() == QProcess::NotRunning; }, 15000);
            mpv.waitForFinished(3000);
        }
    }

    std::printf("double click to first frame on screen: median %.0f ms, max %.0f ms (%zu runs)\n",
                Median(firstFrame), firstFrame.empty() ? 0.0 : *std::max_element(firstFrame.begin(), firstFrame.end()),
                firstFrame.size());
    std::printf("frozen time at a continuous-play switch: %.0f ms and %.0f ms\n", viewerFreeze1, viewerFreeze2);
    if (mpvFreeze >= 0)
        std::printf("mpv playlist switch, same files, same measure: %.0f ms (ratio %.2f)\n", mpvFreeze,
                    mpvFreeze > 0 ? std::max(viewerFreeze1, viewerFreeze2) / mpvFreeze : 0.0);
    else
        std::printf("mpv not available: no comparison\n");
    std::printf("viewer CPU while playing: %.2f %% of a core, %.3f ms per 50 ms tick\n", cpuPercent, cpuPerTickMs);
    return 0;
}
