// Playback kernel figures: start-up to the first frame, launch to ready, the play request's
// round trip, and a demonstration that plays a recording in a panel driven only through the slot.
// The executable is its own kernel: started with "/CALLER:<name>/ID:<n>" it plays the kernel role.
#include "kernel/control_block.h"
#include "kernel/media_graph_player.h"
#include "kernel/kernel_client.h"
#include "kernel/standalone_kernel.h"
#include "platform/child_process.h"
#include "platform/shared_memory.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <map>
#include <unistd.h>

using namespace korvane;

namespace {
void Pump(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(500);
    }
    return true;
}

double Median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
}

void PrintStats(const char* what, std::vector<double> ms)
{
    if (ms.empty()) {
        std::printf("%-44s no successful run\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const double median = Median(ms);
    std::printf("%-44s median %7.1f ms  min %7.1f  max %7.1f  (n=%zu)\n", what, median, ms.front(), ms.back(),
                ms.size());
}

// Starts a process and returns the time until a line containing `marker` appears on its output.
double TimeToLine(const QString& program, const QStringList& args, const QByteArray& marker)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    QByteArray seen;
    double result = -1;
    while (t.elapsed() < 15000) {
        if (!p.waitForReadyRead(200) && p.state() == QProcess::NotRunning)
            break;
        seen += p.readAll();
        if (seen.contains(marker)) {
            result = t.nsecsElapsed() / 1e6;
            break;
        }
    }
    p.kill();
    p.waitForFinished(3000);
    return result;
}

// Child of `preroll`: builds the graph for the file into the given window and reports.
int PrerollChild(const QString& file, const QString& window)
{
    MediaGraphPlayer player;
    player.Create(window.toUInt());
    player.Open(file, 0);
    if (player.lastBuildError())
        return 1;
    std::printf("PREROLLED\n");
    std::fflush(stdout);
    return 0;
}

struct Viewer {
    QWidget window;
    QLabel* caption = new QLabel(&window);
    QWidget* panel = new QWidget(&window);
    KernelClient channel;
    KernelLink link{channel};

    explicit Viewer(QSize size)
    {
        window.setWindowTitle(QStringLiteral("Korvane kernel demo"));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(caption);
        layout->addWidget(panel, 1);
        panel->setFixedSize(size);
        panel->setAttribute(Qt::WA_NativeWindow);
        panel->setAttribute(Qt::WA_OpaquePaintEvent);
        panel->setAttribute(Qt::WA_NoSystemBackground);
        panel->setUpdatesEnabled(false);
        window.move(40, 40);
        window.show();
        Pump(100);
        const QString block = QStringLiteral("KorvaneBench%1").arg(getpid());
        setenv("KORVANE_CONTROL_BLOCK", block.toLocal8Bit().constData(), 1);
        KernelSlot* a = nullptr;
        KernelSlot* b = nullptr;
        OpenViewerSlots(a, b);
        SetUpKernelClient(channel, 0, panel, a);
        channel.callerName = QStringLiteral("Korvane");
        channel.launchFolder = QDir::currentPath();
        // BENCH_KERNEL_EXE names another kernel executable (e.g. the korvane program).
        const QString other = qEnvironmentVariable("BENCH_KERNEL_EXE");
        SetKernelExecutable(other.isEmpty() ? QCoreApplication::applicationFilePath() : other);
    }
    ~Viewer()
    {
        ReleaseKernel(channel);
        EndLaunchedKernels(2000);
        CloseControlBlock();
        platform::RemoveSharedMemory(qEnvironmentVariable("KORVANE_CONTROL_BLOCK").toStdString());
    }
    bool LaunchAndWait(const QString& file)
    {
        return LaunchKernel(channel, file) && WaitUntil([&] { return ReadDuration(channel); }, 15000);
    }
    void ReleaseAndWait()
    {
        const pid_t pid = channel.kernelPid;
        ReleaseKernel(channel);
        platform::WaitChildEnded(pid, 3000);
    }
};

int Preroll(const QString& file, int runs)
{
    Viewer viewer(QSize(640, 360));
    const QString self = QCoreApplication::applicationFilePath();
    const QString window = QString::number(viewer.channel.renderWindow);
    TimeToLine(self, {QStringLiteral("preroll-child"), file, window}, "PREROLLED");  // warm caches
    std::vector<double> ours;
    std::vector<double> reference;
    const QStringList launch = {
        QStringLiteral("filesrc"), QStringLiteral("location=") + file, QStringLiteral("!"), QStringLiteral("qtdemux"),
        QStringLiteral("name=d"), QStringLiteral("d.video_0"), QStringLiteral("!"), QStringLiteral("queue"),
        QStringLiteral("!"), QStringLiteral("decodebin"), QStringLiteral("!"), QStringLiteral("videoconvert"),
        QStringLiteral("!"), QStringLiteral("videoscale"), QStringLiteral("!"), QStringLiteral("ximagesink"),
        QStringLiteral("d.audio_0"), QStringLiteral("!"), QStringLiteral("queue"), QStringLiteral("!"),
        QStringLiteral("decodebin"), QStringLiteral("!"), QStringLiteral("audioconvert"), QStringLiteral("!"),
        QStringLiteral("audioresample"), QStringLiteral("!"), QStringLiteral("autoaudiosink")};
    for (int i = 0; i < runs; ++i) {
        const double a = TimeToLine(self, {QStringLiteral("preroll-child"), file, window}, "PREROLLED");
        const double b = TimeToLine(QStringLiteral("gst-launch-1.0"), launch, "PREROLLED");
        if (a > 0)
            ours.push_back(a);
        if (b > 0)
            reference.push_back(b);
    }
    PrintStats("process start -> first frame (kernel graph)", ours);
    PrintStats("process start -> first frame (gst-launch-1.0)", reference);
    if (!ours.empty() && !reference.empty())
        std::printf("ratio of medians (kernel / gst-launch): %.2f\n", Median(ours) / Median(reference));
    return 0;
}

int Ready(const QString& file, int runs)
{
    Viewer viewer(QSize(640, 360));
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (viewer.LaunchAndWait(file))
            ms.push_back(t.nsecsElapsed() / 1e6);
        viewer.ReleaseAndWait();
    }
    PrintStats("LaunchKernel -> ReadDuration true", ms);
    return 0;
}

// Sends a state request and runs the event loop until it ends; the time it took, or -1 when the
// kernel did not confirm.
double RequestAndTime(KernelClient& channel, RequestedState target, int& writes)
{
    bool ended = false, confirmed = false;
    QElapsedTimer t;
    t.start();
    channel.link->RequestState(target, [&](bool ok) { ended = true; confirmed = ok; });
    while (!ended && channel.link->StatePending())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    writes = channel.link->Writes();
    return ended && confirmed ? t.nsecsElapsed() / 1e6 : -1;
}

int RoundTrip(const QString& file, int runs)
{
    Viewer viewer(QSize(640, 360));
    if (!viewer.LaunchAndWait(file))
        return 1;
    std::map<int, int> writeCounts;
    std::vector<double> ms;
    int failed = 0;
    for (int i = 0; i < runs; ++i) {
        int writes = 0;
        RequestAndTime(viewer.channel, RequestedState::Pause, writes);
        if (i % 10 == 0)
            RequestSeek(viewer.channel, 0);
        const double took = RequestAndTime(viewer.channel, RequestedState::Run, writes);
        if (took >= 0) {
            ++writeCounts[writes];
            ms.push_back(took);
        } else {
            ++failed;
        }
    }
    std::printf("play request round trip over %d requests (writes needed: count)\n", runs);
    for (auto [n, count] : writeCounts)
        std::printf("  %2d write%s: %3d\n", n, n == 1 ? " " : "s", count);
    std::printf("  unconfirmed: %d\n", failed);
    PrintStats("play request written -> confirmed", ms);
    return 0;
}

int Demo(const QString& file, const QString& png, int seconds)
{
    Viewer viewer(QSize(960, 540));
    viewer.caption->setText(QStringLiteral("Kernel playing %1 through the slot").arg(QFileInfo(file).fileName()));
    Pump(100);
    if (!viewer.LaunchAndWait(file)) {
        std::fprintf(stderr, "kernel did not become ready\n");
        return 1;
    }
    RequestPlay(viewer.channel);
    Pump(seconds * 1000);
    std::printf("position %.2f s of %.2f s, state %d\n", ReadPosition(viewer.channel) / 10010000.0,
                viewer.channel.durationSeconds, viewer.channel.slot->graphState.load());
    QGuiApplication::primaryScreen()->grabWindow(0).save(png);
    std::printf("screenshot %s\n", qPrintable(png));
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (IsKernelCommandLine(args))
        return RunStandaloneKernel(args);
    if (args.size() >= 3 && args[0] == QLatin1String("preroll-child"))
        return PrerollChild(args[1], args[2]);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_kernel preroll|ready|roundtrip <file> [runs] | demo <file> <png> [seconds]\n");
        return 2;
    }
    const QString file = QFileInfo(args[1]).absoluteFilePath();
    if (args[0] == QLatin1String("preroll"))
        return Preroll(file, args.size() > 2 ? args[2].toInt() : 10);
    if (args[0] == QLatin1String("ready"))
        return Ready(file, args.size() > 2 ? args[2].toInt() : 20);
    if (args[0] == QLatin1String("roundtrip"))
        return RoundTrip(file, args.size() > 2 ? args[2].toInt() : 100);
    if (args[0] == QLatin1String("demo") && args.size() >= 3)
        return Demo(file, args[2], args.size() > 3 ? args[3].toInt() : 3);
    return 2;
}
