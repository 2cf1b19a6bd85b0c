// Writes one overlay clip and prints how long it took; tools/bench_overlay/run.sh times it beside
// ffmpeg's drawtext over the same range.
//   bench_overlay [--mph] IN_US OUT_US OUT.MP4 RECORDING...   (OUT_US -1: to the end)
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

#include "export/export_overlay.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);   // the band's fonts
    QStringList args = app.arguments().mid(1);
    const bool mph = args.removeAll(QStringLiteral("--mph")) > 0;
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: bench_overlay [--mph] IN_US OUT_US OUT.MP4 RECORDING...\n");
        return 1;
    }
    korvane::ExportRange range{args.mid(3), args[0].toLongLong(), args[1].toLongLong()};
    korvane::ExportProgress progress;
    QElapsedTimer timer;
    timer.start();
    const auto done = korvane::WriteOverlayClip(range, mph, args[2], progress);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!done) {
        std::fprintf(stderr, "overlay clip failed: %s\n", qPrintable(done.error().detail));
        return 2;
    }
    std::printf("overlay_seconds %.3f\n", seconds);
    return 0;
}
