// Real kernel processes (the test kernel host, wired like the program's kernel role) driven
// through a private control block, drawing into a panel of a window of this process.
#include "kernel/control_block.h"
#include "kernel/kernel_client.h"
#include "platform/child_process.h"
#include "platform/shared_memory.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;
using namespace std::chrono;

namespace {
constexpr int64_t kFrame = 10000000 / 30 + 1;
constexpr int kReadyTimeoutMs = 10000;

class KernelProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (tools/test.sh starts Xvfb)";
        block = std::make_unique<PrivateControlBlock>();
        window = std::make_unique<VideoWindow>();
        KernelSlot* a = nullptr;
        KernelSlot* b = nullptr;
        ASSERT_TRUE(OpenViewerSlots(a, b));
        SetUpKernelClient(channelA, 0, window->panel(), a);
        SetUpKernelClient(channelB, 1, nullptr, b);
        for (KernelClient* c : {&channelA, &channelB}) {
            c->callerName = QStringLiteral("Korvane");
            c->launchFolder = workFolder.path();
        }
        SetKernelExecutable(QStringLiteral(KORVANE_KERNEL_HOST));
        unsetenv("KORVANE_BOX_LOG");
    }
    void TearDown() override
    {
        if (!block)
            return;
        ReleaseKernel(channelA);
        ReleaseKernel(channelB);
        EndLaunchedKernels(2000);
        SetKernelExecutable(QString());
        unsetenv("KORVANE_BOX_LOG");
        window.reset();
        block.reset();
    }

    void LaunchReady(const QString& path)
    {
        ASSERT_TRUE(LaunchKernel(channelA, path));
        ASSERT_GT(channelA.kernelPid, 0);
        ASSERT_TRUE(WaitFor([&] { return ReadDuration(channelA); }, kReadyTimeoutMs));
    }
    KernelSlot& slot() { return *channelA.slot; }
    // The position once two readings a few passes apart agree (the graph has settled).
    int64_t SettledPosition()
    {
        int64_t settled = -1;
        WaitFor([&] {
            const int64_t a = ReadPosition(channelA);
            WaitFor([] { return false; }, 160);
            settled = ReadPosition(channelA);
            return a == settled;
        }, 5000);
        return settled;
    }
    bool PositionNear(int64_t target)
    {
        return std::llabs(ReadPosition(channelA) - target) <= kFrame;
    }

    QTemporaryDir workFolder;
    std::unique_ptr<PrivateControlBlock> block;
    std::unique_ptr<VideoWindow> window;
    KernelClient channelA;
    KernelClient channelB;
    KernelLink linkA{channelA};
    KernelLink linkB{channelB};
};
} // namespace

TEST_F(KernelProcessTest, LaunchPublishesTheDurationAndTheFirstPassStopsAndRewinds)
{
    ASSERT_TRUE(LaunchKernel(channelA, SampleRecording()));
    // Whenever ready reads 1, everything published before it is already there.
    const auto deadline = steady_clock::now() + milliseconds(kReadyTimeoutMs);
    while (slot().ready.load() == 0 && steady_clock::now() < deadline) {
    }
    ASSERT_EQ(slot().ready.load(), 1);
    EXPECT_EQ(slot().alive.load(), 1);
    EXPECT_NE(slot().kernelWindow.load(), 0u);
    EXPECT_GT(slot().duration.load(), 0);
    ASSERT_TRUE(ReadDuration(channelA));
    // The kernel's duration is the file's, and the kernel process is the one launched.
    EXPECT_EQ(slot().processId.load(), static_cast<uint32_t>(channelA.kernelPid));
    EXPECT_EQ(slot().alive.load(), 1);
    EXPECT_NE(slot().kernelWindow.load(), 0u);
    EXPECT_NEAR(static_cast<double>(channelA.duration), static_cast<double>(ProbeDuration100ns(SampleRecording())), kFrame);
    EXPECT_FLOAT_EQ(channelA.durationSeconds, static_cast<float>(channelA.duration / 10010000.0));
    // The slot was zeroed for the launch, so the first pass finds requestedState 0.
    EXPECT_TRUE(WaitFor([&] { return slot().requestedState.load() == -1; }, 2000));
    EXPECT_EQ(slot().graphState.load(), 0);
    EXPECT_EQ(ReadPosition(channelA), 0);
    EXPECT_GT(NonBlackFraction(channelA.renderWindow), 0.3);
}

TEST_F(KernelProcessTest, PlayPauseStopSeekAndReleaseThroughTheSlot)
{
    LaunchReady(SampleRecording());
    ASSERT_TRUE(PlayAndWait(channelA));
    EXPECT_EQ(slot().graphState.load(), 2);
    EXPECT_TRUE(WaitFor([&] { return ReadPosition(channelA) > 3000000; }, 3000));

    ASSERT_TRUE(PauseAndWait(channelA));
    const int64_t held = SettledPosition();
    EXPECT_GT(held, 3000000);
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(ReadPosition(channelA), held);
    EXPECT_EQ(slot().graphState.load(), 1);

    ASSERT_TRUE(StopAndWait(channelA));
    EXPECT_TRUE(WaitFor([&] { return ReadPosition(channelA) == 0; }, 2000));
    EXPECT_EQ(slot().graphState.load(), 0);

    // Two seeks in a row end at the second position.
    EXPECT_TRUE(SeekAndWait(channelA, 40040000));
    EXPECT_TRUE(SeekAndWait(channelA, 80080000));
    EXPECT_TRUE(WaitFor([&] { return slot().seekRequest.load() == -1 && PositionNear(80080000); }, 3000))
        << ReadPosition(channelA);

    const pid_t pid = channelA.kernelPid;
    const auto released = steady_clock::now();
    ReleaseKernel(channelA);
    EXPECT_TRUE(platform::WaitChildEnded(pid, 3000));
    const auto took = duration_cast<milliseconds>(steady_clock::now() - released).count();
    EXPECT_GE(took, 400);  // the kernel closes through its 500 ms close timer
    EXPECT_FALSE(QFile::exists(QStringLiteral("/proc/%1").arg(pid)));  // reaped, no zombie
    EXPECT_TRUE(StopAndWait(channelA));  // a released slot answers at once
}

TEST_F(KernelProcessTest, ASeekEqualToThePausedPositionStaysPendingUntilThePositionMoves)
{
    LaunchReady(SampleRecording());
    ASSERT_TRUE(PauseAndWait(channelA));
    ASSERT_TRUE(SeekAndWait(channelA, 30000000));
    ASSERT_TRUE(WaitFor([&] { return slot().seekRequest.load() == -1 && PositionNear(30000000); }, 3000));
    const int64_t here = SettledPosition();
    ASSERT_TRUE(SeekAndWait(channelA, here));
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(slot().seekRequest.load(), here);  // equal to the position: left in place
    ASSERT_TRUE(PlayAndWait(channelA));
    EXPECT_TRUE(WaitFor([&] { return slot().seekRequest.load() == -1; }, 3000));
    EXPECT_LT(ReadPosition(channelA), here + 5000000);  // went back to it rather than running on
}

TEST_F(KernelProcessTest, AfterAResizeAndFitVideoThePlayingVideoFillsThePanel)
{
    LaunchReady(SampleRecording());
    window->panel()->window()->resize(960, 540);
    window->panel()->resize(960, 540);
    WaitFor([] { return false; }, 200);
    RequestFitVideo(channelA);
    EXPECT_TRUE(WaitFor([&] { return slot().command.load() == -1; }, 2000));
    ASSERT_TRUE(PlayAndWait(channelA));
    WaitFor([] { return false; }, 600);
    // The lower right quarter lies outside the old 640x360 picture.
    QScreen* screen = QGuiApplication::primaryScreen();
    const QImage quarter = screen->grabWindow(channelA.renderWindow, 700, 400, 240, 120).toImage();
    ASSERT_FALSE(quarter.isNull());
    int bright = 0;
    for (int y = 0; y < quarter.height(); y += 4)
        for (int x = 0; x < quarter.width(); x += 4)
            bright += qRed(quarter.pixel(x, y)) + qGreen(quarter.pixel(x, y)) + qBlue(quarter.pixel(x, y)) > 60;
    EXPECT_GT(bright, (quarter.width() / 4) * (quarter.height() / 4) / 2);
    EXPECT_NE(slot().kernelWindow.load(), 0u);  // still running
}

TEST_F(KernelProcessTest, FitVideoRedrawsAPausedFrameThePanelPaintedOver)
{
    LaunchReady(SampleRecording());
    ASSERT_TRUE(PauseAndWait(channelA));
    ASSERT_GT(NonBlackFraction(channelA.renderWindow), 0.3);
    // The viewer paints its panel black, as a panel with a filled background does on a repaint.
    QWidget* panel = window->panel();
    panel->setUpdatesEnabled(true);
    panel->setAttribute(Qt::WA_OpaquePaintEvent, false);
    panel->setAttribute(Qt::WA_NoSystemBackground, false);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::black);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
    panel->repaint();
    ASSERT_TRUE(WaitFor([&] { return NonBlackFraction(channelA.renderWindow) < 0.1; }, 2000));
    RequestFitVideo(channelA);
    EXPECT_TRUE(WaitFor([&] { return NonBlackFraction(channelA.renderWindow) > 0.3; }, 2000));
}

TEST_F(KernelProcessTest, ARunRequestWhileRunningIsTakenAgainAndCleared)
{
    LaunchReady(SampleRecording());
    ASSERT_TRUE(PlayAndWait(channelA));
    ASSERT_TRUE(WaitFor([&] { return slot().requestedState.load() == -1; }, 1000));
    slot().requestedState.store(2);
    EXPECT_TRUE(WaitFor([&] { return slot().requestedState.load() == -1; }, 1000));
    EXPECT_EQ(slot().graphState.load(), 2);
}

TEST_F(KernelProcessTest, CloseCommandAndQuitRequestEndTheKernel)
{
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant);
        LaunchReady(Fixture("h264_aac"));
        const pid_t pid = channelA.kernelPid;
        if (variant == 0)
            slot().command.store(1);
        else
            slot().requestedState.store(10);
        EXPECT_TRUE(WaitFor([&] { return variant == 0 ? slot().command.load() == -1
                                                      : slot().requestedState.load() == -1; }, 1000));
        EXPECT_TRUE(platform::WaitChildEnded(pid, 3000));
    }
}

TEST_F(KernelProcessTest, AKilledKernelLeavesTheViewerResponsive)
{
    LaunchReady(SampleRecording());
    ASSERT_TRUE(PlayAndWait(channelA));
    ASSERT_TRUE(platform::EndChild(channelA.kernelPid, true));
    ASSERT_TRUE(platform::WaitChildEnded(channelA.kernelPid, 2000));
    const auto start = steady_clock::now();
    EXPECT_FALSE(PauseAndWait(channelA));  // nobody confirms: false after its 22 writes
    EXPECT_TRUE(SeekAndWait(channelA, 20000000));
    ReadPosition(channelA);
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 3000);
    ReleaseKernel(channelA);
    EXPECT_TRUE(PlayAndWait(channelA));
}

TEST_F(KernelProcessTest, AKernelForAMissingOrDamagedFileNeverBecomesReadyAndEndsWhenReleased)
{
    const QString boxLog = workFolder.filePath(QStringLiteral("boxes.txt"));
    setenv("KORVANE_BOX_LOG", boxLog.toLocal8Bit().constData(), 1);
    for (const QString& path : {QStringLiteral("/nonexistent/20250101000000.MP4"), Fixture("damaged")}) {
        SCOPED_TRACE(path.toStdString());
        QFile::remove(boxLog);
        ASSERT_TRUE(LaunchKernel(channelA, path));
        const pid_t pid = channelA.kernelPid;
        // The build fails and reports it; ready never comes.
        const QByteArray box = WaitForBoxLine(boxLog, kReadyTimeoutMs);
        WaitFor([] { return false; }, 300);
        EXPECT_FALSE(ReadDuration(channelA));
        EXPECT_EQ(box.trimmed(), QByteArray("GoogleMap|ERROR 0x5006"));
        EXPECT_TRUE(platform::ChildRunning(pid));
        ReleaseKernel(channelA);
        EXPECT_TRUE(platform::WaitChildEnded(pid, 3000));
    }
}

TEST_F(KernelProcessTest, AFailedKernelHeldByItsErrorBoxStillEndsWhenReleased)
{
    // No box log: the kernel shows a real modal box, which nobody closes.
    ASSERT_TRUE(LaunchKernel(channelA, Fixture("undecodable_video")));
    const pid_t pid = channelA.kernelPid;
    WaitFor([] { return false; }, 1500);
    EXPECT_FALSE(ReadDuration(channelA));
    EXPECT_TRUE(platform::ChildRunning(pid));
    ReleaseKernel(channelA);
    EXPECT_TRUE(platform::WaitChildEnded(pid, 4000));
}

TEST_F(KernelProcessTest, AKernelWhoseSlotWasReleasedBeforeItStartedEndsAndLeavesTheSlotFree)
{
    const QString boxLog = workFolder.filePath(QStringLiteral("boxes.txt"));
    setenv("KORVANE_BOX_LOG", boxLog.toLocal8Bit().constData(), 1);
    // Released at once: the kernel process is still starting and has not claimed the slot.
    ASSERT_TRUE(LaunchKernel(channelA, SampleRecording()));
    const pid_t pid = channelA.kernelPid;
    ASSERT_EQ(slot().processId.load(), 0u);
    ReleaseKernel(channelA);
    EXPECT_TRUE(platform::WaitChildEnded(pid, 5000)) << "a kernel of a released slot stayed";
    EXPECT_EQ(slot().processId.load(), 0u);
    EXPECT_EQ(slot().ready.load(), 0);
    EXPECT_EQ(slot().buildError.load(), 0);
    EXPECT_FALSE(QFile::exists(boxLog)) << "a released kernel showed a box";
}

TEST_F(KernelProcessTest, RelaunchingIntoTheSameSlotEndsTheEarlierKernel)
{
    LaunchReady(SampleRecording());
    const pid_t first = channelA.kernelPid;
    LaunchReady(Fixture("noaudio"));
    EXPECT_NE(channelA.kernelPid, first);
    EXPECT_TRUE(platform::WaitChildEnded(first, 3000));
    EXPECT_TRUE(platform::ChildRunning(channelA.kernelPid));
}

TEST_F(KernelProcessTest, KillStaleEnginesReleasesBothChannelsAndEndsTheirKernels)
{
    LaunchReady(SampleRecording());
    const pid_t pid = channelA.kernelPid;
    KillStaleEngines(channelB, &channelA);
    EXPECT_EQ(slot().ready.load(), 0);
    EXPECT_EQ(slot().kernelWindow.load(), 0u);
    EXPECT_TRUE(platform::WaitChildEnded(pid, 2000));
}

TEST_F(KernelProcessTest, AnUnparsableCommandLineEndsTheKernel)
{
    for (const char* arg : {"/CALLER-Korvane", "/CALLER:Korvane", "nonsense"}) {
        SCOPED_TRACE(arg);
        const pid_t pid = platform::SpawnChild(KORVANE_KERNEL_HOST, {arg}, workFolder.path().toStdString());
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(platform::WaitChildEnded(pid, 5000));
    }
    // Nothing was written into any slot.
    EXPECT_EQ(slot().processId.load(), 0u);
}

TEST_F(KernelProcessTest, AKernelWithoutBlockOrSlotReportsItAndEnds)
{
    const QString boxLog = workFolder.filePath(QStringLiteral("boxes.txt"));
    setenv("KORVANE_BOX_LOG", boxLog.toLocal8Bit().constData(), 1);
    struct Case { const char* block; const char* args; const char* box; };
    const QByteArray ownBlock = block->name().toLocal8Bit();
    const Case cases[] = {
        {"no/such/block", "/CALLER:Korvane/ID:0", "VCRError3"},
        {ownBlock.constData(), "/CALLER:Korvane/ID:11", "VCRError2"},  // slot 11 lies outside the block
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        QFile::remove(boxLog);
        setenv("KORVANE_CONTROL_BLOCK", c.block, 1);
        const pid_t pid = platform::SpawnChild(KORVANE_KERNEL_HOST, {c.args}, workFolder.path().toStdString());
        setenv("KORVANE_CONTROL_BLOCK", ownBlock.constData(), 1);
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(platform::WaitChildEnded(pid, 5000));
        QFile f(boxLog);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().trimmed().endsWith(QByteArray("|") + c.box));
    }
}

TEST_F(KernelProcessTest, AKilledViewerLeavesNoKernelRunning)
{
    const QString pidFile = workFolder.filePath(QStringLiteral("kernel.pid"));
    const pid_t viewer = platform::SpawnChild(
        KORVANE_KERNEL_HOST, {"--viewer", SampleRecording().toStdString(), pidFile.toStdString()},
        workFolder.path().toStdString());
    ASSERT_GT(viewer, 0);
    // The viewer's kernel uses slot 0 of the same private block.
    ASSERT_TRUE(WaitFor([&] { return slot().ready.load() == 1 && QFile::exists(pidFile); }, kReadyTimeoutMs));
    QFile f(pidFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t kernel = f.readAll().toInt();
    ASSERT_GT(kernel, 0);
    EXPECT_TRUE(platform::ProcessExists(kernel));
    ASSERT_TRUE(platform::EndChild(viewer, true));
    ASSERT_TRUE(platform::WaitChildEnded(viewer, 2000));
    EXPECT_TRUE(WaitFor([&] { return !platform::ProcessExists(kernel); }, 1000));
}

TEST_F(KernelProcessTest, AKernelStartedByHandTakesNoSlotAndEnds)
{
    // "-1" once read as slot 0; a shell is no viewer, so a kernel it starts takes no channel
    // and does not run on for ever.
    const std::string host = KORVANE_KERNEL_HOST;
    struct Case { const char* name; std::vector<std::string> argv; };
    const Case cases[] = {
        {"negative id", {host, "/CALLER:Korvane/ID:-1"}},
        {"shell parent", {"/bin/sh", "-c", "\"$0\" \"$@\"; true", host, "/CALLER:Korvane/ID:0"}},
        {"shell parent, slot 1", {"/bin/sh", "-c", "\"$0\" \"$@\"; true", host, "/CALLER:Korvane/ID:1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> args(c.argv.begin() + 1, c.argv.end());
        const pid_t pid = platform::SpawnChild(c.argv[0], args, workFolder.path().toStdString());
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(platform::WaitChildEnded(pid, 5000));
        EXPECT_EQ(slot().processId.load(), 0u);
        EXPECT_EQ(channelB.slot->processId.load(), 0u);
    }
}

// A block under the viewer's name that another user made first (here: owned by nobody, mode
// 0600) is never used and never touched: the viewer makes a fresh block of its own, its kernels
// find it through the name they inherit, and playback works. Removing the viewer's block at
// shut-down leaves the other user's object alone.
TEST(ForeignControlBlock, IsLeftAloneAndTheViewerPlaysThroughAFreshBlock)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (tools/test.sh starts Xvfb)";
    if (geteuid() != 0)
        GTEST_SKIP() << "making another user's object needs root";
    PrivateControlBlock block;
    const std::string foreign = platform::SharedMemoryObjectName(block.name().toStdString());
    const int fd = shm_open(foreign.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 4096), 0);
    ASSERT_EQ(fchown(fd, 65534, 65534), 0);

    VideoWindow window;
    KernelSlot* a = nullptr;
    KernelSlot* b = nullptr;
    ASSERT_TRUE(OpenViewerSlots(a, b));
    const QString fresh = ControlBlockName();
    EXPECT_NE(fresh, block.name());
    EXPECT_TRUE(fresh.startsWith(block.name() + QLatin1Char('-')));

    KernelClient client;
    SetUpKernelClient(client, 0, window.panel(), a);
    client.callerName = QStringLiteral("Korvane");
    QTemporaryDir work;
    client.launchFolder = work.path();
    SetKernelExecutable(QStringLiteral(KORVANE_KERNEL_HOST));
    ASSERT_TRUE(LaunchKernel(client, Fixture("h264_aac")));
    EXPECT_TRUE(WaitFor([&] { return ReadDuration(client); }, kReadyTimeoutMs));
    ReleaseKernel(client);
    EndLaunchedKernels(2000);
    SetKernelExecutable(QString());

    UnlinkViewerControlBlock();
    struct stat st {};
    EXPECT_EQ(fstat(fd, &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    const int stillThere = shm_open(foreign.c_str(), O_RDONLY, 0);
    EXPECT_GE(stillThere, 0);
    if (stillThere >= 0)
        close(stillThere);
    EXPECT_LT(shm_open(platform::SharedMemoryObjectName(fresh.toStdString()).c_str(), O_RDONLY, 0), 0);
    close(fd);
    CloseControlBlock();
    // The block's own clean-up removes the other user's object under its name.
}
