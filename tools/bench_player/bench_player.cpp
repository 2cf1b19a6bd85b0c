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
#include <csignal>
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
            if (lastChange >= 0 && t - lastChange > longest) {
                longest = t - lastChange;
                if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
                    std::fprintf(stderr, "freeze %.0f ms ending at %.0f ms\n", longest, t);
            }
            lastChange = t;
            last = now;
        }
    }
    return longest;
}

// Mean grey level of a picture, 0 (black) to 255.
double Brightness(const QImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / std::max(1, image.width() * image.height());
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
    std::vector<double> toStarted;
    std::vector<double> switchFreezes;
    double stallMs = -1;
    double darkest = 255;
    double cpuPercent = 0, cpuPerTickMs = 0;
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
            p.Stop();
            QTest::qWait(400);
            const QImage before = Grab(area);
            QElapsedTimer clock;
            clock.start();
            double started = -1;
            auto connection = QObject::connect(&p, &PlaybackController::playbackStarted,
                                               [&] { started = clock.nsecsElapsed() / 1e6; });
            v.DoubleClick(v.NormalCell(run % 2 == 0 ? 1 : 0));
            bool shown = QTest::qWaitFor([&] { return Difference(Grab(area), before) > 40; }, 8000);
            if (shown)
                firstFrame.push_back(clock.nsecsElapsed() / 1e6);
            (void)QTest::qWaitFor([&] { return started >= 0; }, 5000);
            QObject::disconnect(connection);
            if (started >= 0)
                toStarted.push_back(started);
            if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
                std::fprintf(stderr, "run %d: playback started %.0f ms, screen changed %.0f ms\n", run, started,
                             shown ? firstFrame.back() : -1.0);
            (void)QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 5000);
        }
        p.Stop();

        // 2. The frozen time at both switches of a continuous run over the three recordings:
        // the screen is sampled from the double click to the end of the last recording, and for
        // each switch the longest time without a picture change around it is taken.
        v.DoubleClick(v.NormalCell(1));   // load another recording first, so cell 0 opens afresh
        (void)QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000);
        p.Stop();
        v.window().miContinue->trigger();
        QElapsedTimer since;
        std::vector<double> ends, starts, changes;
        QObject::connect(&p, &PlaybackController::recordingEnded, [&] { ends.push_back(since.nsecsElapsed() / 1e6); });
        QObject::connect(&p, &PlaybackController::playbackStarted, [&] { starts.push_back(since.nsecsElapsed() / 1e6); });
        since.start();
        v.DoubleClick(v.NormalCell(0));
        QImage last = Grab(area);
        while (!(starts.size() >= 3 && p.State() == PlayState::Stopped) && since.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            QImage now = Grab(area);
            if (Difference(now, last) > 1.0) {
                changes.push_back(since.nsecsElapsed() / 1e6);
                last = now;
            }
            if (!starts.empty())
                darkest = std::min(darkest, Brightness(now));
        }
        for (size_t k = 1; k < starts.size() && k <= ends.size(); ++k) {
            const double from = ends[k - 1] - 500, to = starts[k] + 1000;
            double longest = 0;
            for (size_t i = 1; i < changes.size(); ++i)
                if (changes[i - 1] >= from && changes[i] <= to)
                    longest = std::max(longest, changes[i] - changes[i - 1]);
            switchFreezes.push_back(longest);
            if (qEnvironmentVariableIsSet("BENCH_DEBUG")) {
                // Where the freeze sits: the last picture change before the end test fired, the
                // end test, the start of the next recording and the first change after it.
                double before = -1, after = -1;
                for (double c : changes) {
                    if (c <= ends[k - 1])
                        before = c;
                    if (after < 0 && c > ends[k - 1])
                        after = c;
                }
                std::fprintf(stderr, "switch %zu: last change %.0f, end test %+.0f, started %+.0f, next change %+.0f ms\n",
                             k, before, ends[k - 1] - before, starts[k] - before, after - before);
            }
        }

        // 3. CPU of the viewer process (its kernels are other processes) while it plays.
        v.window().miContinue->trigger();
        v.DoubleClick(v.NormalCell(0));
        (void)QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000);
        int ticks = 0;
        QObject::connect(&p.Tick(), &QTimer::timeout, [&] { ++ticks; });
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTest::qWait(2000);
        const double cpu = CpuSeconds() - cpu0;
        cpuPercent = 100.0 * cpu / (wall.elapsed() / 1000.0);
        cpuPerTickMs = ticks > 0 ? 1000.0 * cpu / ticks : 0;

        // 4. The main thread's longest stall while pause, play and stop go to a kernel that
        // does not answer (stopped with SIGSTOP): a 1 ms timer's longest gap.
        const pid_t kernel = p.Current()->kernelPid;
        if (kernel > 0 && ::kill(kernel, SIGSTOP) == 0) {
            QElapsedTimer beat;
            double longest = 0;
            QTimer heart;
            heart.setInterval(1);
            heart.setTimerType(Qt::PreciseTimer);
            QObject::connect(&heart, &QTimer::timeout, [&] {
                longest = std::max(longest, beat.nsecsElapsed() / 1e6);
                beat.restart();
            });
            beat.start();
            heart.start();
            QTest::qWait(100);
            p.Pause();
            QTest::qWait(300);
            p.Play();
            QTest::qWait(300);
            p.Stop();
            QTest::qWait(1500);
            heart.stop();
            ::kill(kernel, SIGCONT);
            stallMs = longest;
        }
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
    std::printf("double click to playback started (the player's part): median %.0f ms\n", Median(toStarted));
    std::printf("frozen time at each continuous-play switch:");
    for (double f : switchFreezes)
        std::printf(" %.0f ms", f);
    std::printf("\n");
    std::printf("darkest picture of the video area from the first frame to the end: mean grey %.0f of 255\n", darkest);
    const double worst = switchFreezes.empty() ? 0 : *std::max_element(switchFreezes.begin(), switchFreezes.end());
    if (mpvFreeze >= 0)
        std::printf("mpv playlist switch, same files, same measure: %.0f ms (ratio %.2f)\n", mpvFreeze,
                    mpvFreeze > 0 ? worst / mpvFreeze : 0.0);
    else
        std::printf("mpv not available: no comparison\n");
    std::printf("viewer CPU while playing: %.2f %% of a core, %.3f ms per 50 ms tick\n", cpuPercent, cpuPerTickMs);
    std::printf("main thread's longest stall while pause, play and stop go to a stopped kernel: %.0f ms\n", stallMs);
    return 0;
}
