// The switch of continuous play from one moment to the next, as the screen shows it: how long
// the main panel and each inset keep one picture around the switch. The fixtures' frame numbers
// (frame_code.h) are read from screen captures taken one after the other, so a still picture
// shows as a long time between two changes of the number read.
#include "seam_freeze.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdio>

#include "bench_start.h"
#include "frame_code.h"
#include "library/recording_ref.h"
#include "player/moment_channels.h"
#include "player/playback_controller.h"
#include "viewer_harness.h"
#include "app/viewer.h"

namespace korvane::bench {
namespace {
struct Watch {
    QRect area;            // the picture on the screen
    int last = -1;         // the frame number read last
    qint64 changedAt = 0;  // when it changed to it (ms)
    qint64 longest = 0;    // the longest time one number stayed
};

} // namespace

int MeasureSeam(const QString& folder)
{
    ViewerHarness v(folder);
    if (!PlayFirstMoment(v, folder, false))
        return 1;
    PlaybackController& p = v.player();
    MomentChannels& others = v.viewer().OtherChannels();
    std::vector<Watch> watches;
    watches.push_back({bench::FittedPicture(OnScreen(p.Current()->panel), QSize(1920, 1080))});
    for (int i = 0; i < others.Count(); ++i)
        watches.push_back({bench::FittedPicture(OnScreen(others.Inset(i)), QSize(1280, 720))});
    const RecordingRef first = p.Current()->ref;
    const std::int64_t duration = p.Current()->duration;
    (void)QTest::qWaitFor([&] { return ReadPosition(*p.Current()) > duration - 15000000; }, 60000);
    QElapsedTimer clock;
    clock.start();
    qint64 switchedAt = -1;
    int captures = 0;
    while (clock.elapsed() < 20000 && (switchedAt < 0 || clock.elapsed() < switchedAt + 1500)) {
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const qint64 now = clock.elapsed();
        ++captures;
        for (Watch& w : watches) {
            const auto code = bench::ReadFrameCode(screen, w.area);
            if (!code || *code == w.last)
                continue;
            if (w.last >= 0)
                w.longest = std::max(w.longest, now - w.changedAt);
            w.last = *code;
            w.changedAt = now;
        }
        if (switchedAt < 0 && p.Current() && !(p.Current()->ref == first))
            switchedAt = now;
        QCoreApplication::processEvents();
    }
    if (switchedAt < 0) {
        std::printf("%s: continuous play did not switch\n", qPrintable(folder));
        return 1;
    }
    std::printf("%s: the switch, %d captures %.0f ms apart on average\n", qPrintable(folder), captures,
                double(clock.elapsed()) / std::max(1, captures));
    std::printf("  main panel: one picture at most %lld ms\n", static_cast<long long>(watches[0].longest));
    for (std::size_t i = 1; i < watches.size(); ++i)
        std::printf("  inset %zu: one picture at most %lld ms\n", i, static_cast<long long>(watches[i].longest));
    return 0;
}

} // namespace korvane::bench
