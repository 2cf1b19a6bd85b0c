// Benchmarks of the recordings library; run on demand, they print figures.
//   bench_library thumbnails FOLDER [runs] [tools at once]   whole thumbnail pass over FOLDER's recordings (grids
//                                            included, offscreen), beside `xargs -P 2` running the
//                                            same ffmpeg command on the same files
//   bench_library scan [entries] [runs]      ScanRecordings (both groups) on a folder of `entries`
//                                            entries (default 5000: recordings of both groups,
//                                            other files and a few folders)
//   bench_library camera-scan [files] [runs] what opening another camera's card costs the library:
//                                            both groups of the own scan (finding nothing), the
//                                            walk and the pairing into moments, on a card of the
//                                            dated-sequence form (default 2000 files: front and
//                                            rear in DCIM/Movie, a tenth locked in DCIM/Movie/RO);
//                                            goal: median under 50 ms
#include "core/busy_state.h"
#include "library/recording_library.h"
#include "library/recording_scan.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace korvane;

namespace {
class BenchHost : public LibraryHost {
public:
    QWidget* MainWindow() override { return &window; }
    BusyState& Busy() override { return busy; }
    void ShowGroupSelectors(int) override {}
    void SetDataMenusEnabled(bool enabled) override { finished = enabled; }
    void ShowInformation2(const QString&, const QString&) override {}

    QWidget window;
    BusyState busy;
    bool finished = false;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int Thumbnails(const QString& folder, int runs, int concurrent)
{
    QStringList normal, event;
    std::uint64_t nb = 0, eb = 0;
    ScanRecordings(folder, 1, normal, nb);
    ScanRecordings(folder, 0, event, eb);
    const QStringList all = normal + event;
    std::printf("folder %s: %lld Normal, %lld Event recordings\n", qPrintable(folder),
                static_cast<long long>(normal.size()), static_cast<long long>(event.size()));
    std::vector<double> pass, xargs;
    for (int run = 0; run < runs; ++run) {
        double passSeconds = 0, xargsSeconds = 0;
        long long shown = 0, made = 0;
        auto runPass = [&] {
            QTemporaryDir cache;
            BenchHost host;
            RecordingLibrary library(host, 1.0, &host.window);
            library.SetFolders(folder, folder);
            (void)library.PrepareWorkingFolder(cache.path());
            library.Pass().SetMaxConcurrentTools(concurrent);
            QElapsedTimer t;
            t.start();
            library.OpenRecordingFolder(folder);
            while (!host.finished)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            passSeconds = t.elapsed() / 1000.0;
            shown = library.Catalogue().normalShown.size() + library.Catalogue().eventShown.size();
        };
        auto runXargs = [&] {
            QTemporaryDir out;
            QProcess p;
            p.setProgram("sh");
            p.setArguments({"-c",
                            "cd \"$1\" && ls | grep -i '\\.mp4$' | xargs -P 2 -I{} sh -c "
                            "'ffmpeg -i \"$0\" -s 80x60 -r 1 -frames:v 1 \"$1/${0%.*}.bmp\" </dev/null >/dev/null 2>&1' {} \"$2\"",
                            "sh", folder, out.path()});
            QElapsedTimer t;
            t.start();
            p.start();
            p.waitForFinished(-1);
            xargsSeconds = t.elapsed() / 1000.0;
            made = QDir(out.path()).entryList({"*.bmp"}, QDir::Files).size();
        };
        // Alternate the order so that neither side always runs on a warmer machine.
        if (run % 2 == 0) {
            runPass();
            runXargs();
        } else {
            runXargs();
            runPass();
        }
        pass.push_back(passSeconds);
        xargs.push_back(xargsSeconds);
        std::printf("run %d: pass %.2f s (%lld shown), xargs -P 2 %.2f s (%lld pictures)\n", run + 1, passSeconds,
                    shown, xargsSeconds, made);
    }
    const double mp = Median(pass), mx = Median(xargs);
    std::printf("median: thumbnail pass %.2f s, xargs -P 2 %.2f s, ratio %.2f (goal <= 1.30); %d files\n", mp, mx,
                mx > 0 ? mp / mx : 0.0, int(all.size()));
    return 0;
}

int Scan(int entries, int runs)
{
    QTemporaryDir dir;
    for (int i = 0; i < entries; ++i) {
        QString name;
        const QString s = QString("2023%1").arg(i, 10, 10, QChar('0'));  // unique 14-digit stamp
        switch (i % 8) {
        case 0: case 1: case 2: name = (i % 8 == 1 ? "H" : "") + s + ".MP4"; break;
        case 3: case 4: name = "G" + s + ".MP4"; break;
        case 5: name = s + ".txt"; break;
        case 6: name = "." + s + ".MP4"; break;
        default: name = QString("other-%1.dat").arg(i); break;
        }
        if (i % 100 == 99)
            QDir(dir.path()).mkdir(name + ".d");
        else
            QFile(dir.path() + "/" + name).open(QIODevice::WriteOnly);
    }
    const auto count = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size();
    std::vector<double> times;
    long long found = 0;
    for (int r = 0; r < runs; ++r) {
        QStringList normal, event;
        std::uint64_t nb = 0, eb = 0;
        QElapsedTimer t;
        t.start();
        found = ScanRecordings(dir.path(), 1, normal, nb) + ScanRecordings(dir.path(), 0, event, eb);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("ScanRecordings on %lld entries (%lld recordings), both groups: median %.2f ms, min %.2f ms over %d runs\n",
                static_cast<long long>(count), found, Median(times), *std::min_element(times.begin(), times.end()), runs);
    return 0;
}
int CameraScan(int files, int runs)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("DCIM/Movie/RO");
    for (int i = 0; i < files; ++i) {
        const int moment = i / 2;
        const int minute = moment % 60, hour = moment / 60 % 24, day = 1 + moment / 1440;
        const bool rear = i % 2 == 1;
        const QString name = QString("%1%2_01%3_%4%5%6_%7%8.MP4")
                                 .arg(moment % 10 == 9 ? "RO/" : "")
                                 .arg(2023)
                                 .arg(day, 2, 10, QChar('0'))
                                 .arg(hour, 2, 10, QChar('0'))
                                 .arg(minute, 2, 10, QChar('0'))
                                 .arg(rear ? 1 : 0, 2, 10, QChar('0'))
                                 .arg(moment % 10000, 4, 10, QChar('0'))
                                 .arg(rear ? "R" : "F");
        QFile(dir.path() + "/DCIM/Movie/" + name).open(QIODevice::WriteOnly);
    }
    std::vector<double> times;
    qsizetype normalCount = 0, eventCount = 0;
    for (int r = 0; r < runs; ++r) {
        RecordingCatalogue c;
        QElapsedTimer t;
        t.start();
        ScanRecordings(dir.path(), 1, c.normalFiles, c.normalTotalBytes);
        ScanRecordings(dir.path(), 0, c.eventFiles, c.eventTotalBytes);
        if (c.normalFiles.isEmpty() && c.eventFiles.isEmpty())
            TakeCameraCard(ScanCameraCard(dir.path()), c);
        times.push_back(t.nsecsElapsed() / 1e6);
        normalCount = c.normalFiles.size();
        eventCount = c.eventFiles.size();
    }
    std::printf("camera card of %d files (%lld Normal and %lld Event moments): median %.2f ms, min %.2f ms over %d "
                "runs (goal < 50 ms)\n",
                files, static_cast<long long>(normalCount), static_cast<long long>(eventCount), Median(times),
                *std::min_element(times.begin(), times.end()), runs);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args[0] == "thumbnails")
        return Thumbnails(QDir(args[1]).absolutePath(), args.size() > 2 ? args[2].toInt() : 3,
                          args.size() > 3 ? args[3].toInt() : -1);
    if (!args.isEmpty() && args[0] == "scan")
        return Scan(args.size() > 1 ? args[1].toInt() : 5000, args.size() > 2 ? args[2].toInt() : 20);
    if (!args.isEmpty() && args[0] == "camera-scan")
        return CameraScan(args.size() > 1 ? args[1].toInt() : 2000, args.size() > 2 ? args[2].toInt() : 20);
    std::fprintf(stderr, "usage: bench_library thumbnails FOLDER [runs] | bench_library scan [entries] [runs] | "
                         "bench_library camera-scan [files] [runs]\n");
    return 64;
}
