// Figures of the map area on the real Qt WebEngine: time from a recording's load to its route
// drawn on a ready page, main-thread cost of one marker move, resident memory of this process
// and its browser processes while a route is shown. The tile server address comes from the
// KORVANE_* variables (run.sh starts a loopback one).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "map/browser_setup.h"
#include "map/leaflet_map.h"
#include "map/map_view.h"
#include "page_state.h"
#include "mp4parse/load_telemetry.h"

using namespace korvane;

namespace {

// A "Key:  123 kB" line of a /proc file.
long ProcKb(const QString& file, const char* key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray k(key);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(k))
            return line.mid(k.size()).trimmed().split(' ').value(0).toLong();
    return 0;
}

int ParentOf(int pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1).toInt();
}

// This process and every process descended from it.
long TreeKb(int root, int* count, bool proportional)
{
    std::vector<int> tree{root};
    const QStringList all = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (bool grew = true; grew;) {
        grew = false;
        for (const QString& name : all) {
            bool ok = false;
            const int pid = name.toInt(&ok);
            if (ok && std::find(tree.begin(), tree.end(), pid) == tree.end() &&
                std::find(tree.begin(), tree.end(), ParentOf(pid)) != tree.end()) {
                tree.push_back(pid);
                grew = true;
            }
        }
    }
    long sum = 0;
    for (int pid : tree)
        sum += proportional ? ProcKb(QStringLiteral("/proc/%1/smaps_rollup").arg(pid), "Pss:")
                            : ProcKb(QStringLiteral("/proc/%1/status").arg(pid), "VmRSS:");
    *count = static_cast<int>(tree.size());
    return sum;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareBrowserEnvironment();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_map RECORDING.MP4\n");
        return 2;
    }
    const QString mp4 = QString::fromLocal8Bit(argv[1]);
    auto track = std::make_unique<TelemetryTrack>();
    std::vector<std::string> lines;
    Mp4Parser parser;
    bool gpsSeen = false;
    LoadTelemetry(QFile::encodeName(mp4).toStdString(), std::string(), parser, lines, *track, gpsSeen);
    std::printf("recording %s: data type %d, %d samples\n", argv[1], track->dataType, track->sampleCount);

    QWidget host;
    host.resize(460, 380);
    auto* background = new QFrame(&host);
    MapView maps(background, LoadMapAddresses());
    maps.SetGeometry(QRect(0, 0, 460, 380));
    TelemetrySample current;
    QString path = mp4;
    const RouteSource recording{track.get(), path, !lines.empty(), &current};
    host.show();
    QElapsedTimer start;
    start.start();
    maps.Start();
    if (!QTest::qWaitFor([&] { return maps.routeMapReady && maps.positionFrameLoaded; }, 60000)) {
        std::fprintf(stderr, "the maps did not come up (offline?)\n");
        return 1;
    }
    std::printf("start to both pages ready: %lld ms\n", start.elapsed());

    // Load to route drawn: the route's script has run on the page (a state query answered
    // after it), over several loads of the same recording with the history off.
    std::vector<double> loads;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer t;
        t.start();
        maps.StartRouteMap(recording);
        QVariantMap s;
        (void)QTest::qWaitFor([&] {
            if (maps.routePending)
                return false;
            s = PageState(maps.GMMapRoute(), 10000);
            return s.value(QStringLiteral("lines")).toInt() == 1;
        }, 10000);
        loads.push_back(t.nsecsElapsed() / 1e6);
        if (i == 0)
            std::printf("route: %d points\n", s.value(QStringLiteral("points")).toList().value(0).toInt());
        QTest::qWait(50);
    }
    std::sort(loads.begin(), loads.end());
    std::printf("load to route drawn: median %.1f ms, max %.1f ms (10 loads)\n", loads[loads.size() / 2], loads.back());

    // One tick's marker move on the main thread, with nothing in flight and with one in flight.
    std::vector<double> idle, busy;
    const int n = std::min(track->sampleCount, static_cast<int>(TrackCapacity));
    for (int k = 0; k < 300; ++k) {
        const int i = (k * 7) % std::max(n, 1);
        (void)QTest::qWaitFor([&] { return !maps.GMMapRoute()->ScriptInFlight(); }, 2000);
        QElapsedTimer t;
        t.start();
        maps.FollowPlayback(*track, i, true);
        idle.push_back(t.nsecsElapsed() / 1e3);
        t.restart();
        maps.FollowPlayback(*track, (i + 1) % std::max(n, 1), true);   // coalesced
        busy.push_back(t.nsecsElapsed() / 1e3);
        QTest::qWait(5);
    }
    std::sort(idle.begin(), idle.end());
    std::sort(busy.begin(), busy.end());
    std::printf("marker move (sent): median %.0f us, p95 %.0f us\n", idle[idle.size() / 2], idle[idle.size() * 95 / 100]);
    std::printf("marker move (coalesced behind one in flight): median %.0f us, p95 %.0f us\n", busy[busy.size() / 2],
                busy[busy.size() * 95 / 100]);

    QTest::qWait(1000);
    int processes = 0;
    const int self = static_cast<int>(QCoreApplication::applicationPid());
    const long rss = TreeKb(self, &processes, false);
    const long pss = TreeKb(self, &processes, true);
    std::printf("resident memory with a route shown: %.0f MB sum of RSS, %.0f MB sum of PSS, %d processes\n",
                rss / 1024.0, pss / 1024.0, processes);
    return 0;
}
