// Real kernel processes whose graph cannot be built mark their slot before they show their box,
// so the viewer learns of the failure at once instead of waiting for a ready that never comes.
#include "kernel/control_block.h"
#include "kernel/kernel_client.h"
#include "platform/child_process.h"
#include "platform/message_box.h"
#include "test_support.h"

#include <QFile>
#include <QPalette>
#include <QWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace korvane;
using namespace korvane::test;

namespace {
class KernelFailureTest : public ::testing::Test {
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
        SetUpKernelClient(channel, 0, window->panel(), a);
        channel.callerName = QStringLiteral("Korvane");
        channel.launchFolder = workFolder.path();
        SetKernelExecutable(QStringLiteral(KORVANE_KERNEL_HOST));
        boxLog = workFolder.filePath(QStringLiteral("boxes.txt"));
        setenv("KORVANE_BOX_LOG", boxLog.toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        if (!block)
            return;
        ReleaseKernel(channel);
        EndLaunchedKernels(2000);
        SetKernelExecutable(QString());
        unsetenv("KORVANE_BOX_LOG");
        window.reset();
        block.reset();
    }

    QTemporaryDir workFolder;
    QString boxLog;
    std::unique_ptr<PrivateControlBlock> block;
    std::unique_ptr<VideoWindow> window;
    KernelClient channel;
    KernelLink link{channel};
};
} // namespace

TEST_F(KernelFailureTest, AFailedBuildIsMarkedInTheSlotBeforeItsBoxShows)
{
    for (const char* name : {"picture", "garbage", "damaged", "undecodable_video"}) {
        SCOPED_TRACE(name);
        QFile::remove(boxLog);
        ASSERT_TRUE(LaunchKernel(channel, Fixture(name)));
        EXPECT_EQ(BuildError(channel), 0);  // the launch clears the mark
        const pid_t pid = channel.kernelPid;
        // Whenever the box has been shown, the mark is already there.
        const QByteArray box = WaitForBoxLine(boxLog, 10000);
        ASSERT_FALSE(box.isEmpty());
        const int32_t code = BuildError(channel);
        EXPECT_GE(code, 0x5001);
        EXPECT_LE(code, 0x7001);
        EXPECT_EQ(box.trimmed(), (QStringLiteral("GoogleMap|") + ErrorNumberText(code)).toUtf8());
        EXPECT_FALSE(ReadDuration(channel));
        EXPECT_FALSE(KernelGone(channel));
        // Let go, it ends; the zeroed slot carries no mark into the next launch.
        ReleaseKernel(channel);
        EXPECT_EQ(BuildError(channel), 0);
        EXPECT_TRUE(platform::WaitChildEnded(pid, 4000));
    }
}

TEST_F(KernelFailureTest, APlayableRecordingLeavesNoMarkAndAKilledKernelIsGoneUntilReleased)
{
    ASSERT_TRUE(LaunchKernel(channel, Fixture("h264_aac")));
    ASSERT_TRUE(WaitFor([&] { return ReadDuration(channel); }, 10000));
    EXPECT_EQ(BuildError(channel), 0);
    EXPECT_FALSE(KernelGone(channel));
    EXPECT_FALSE(QFile::exists(boxLog));
    ASSERT_TRUE(platform::EndChild(channel.kernelPid, true));
    ASSERT_TRUE(platform::WaitChildEnded(channel.kernelPid, 2000));
    EXPECT_TRUE(KernelGone(channel));
    ReleaseKernel(channel);
    EXPECT_FALSE(KernelGone(channel));
}

// A window that covered the panel goes away: the paused or stopped kernel draws its frame again
// (the panel itself paints nothing, so without the kernel the covering window's pixels stay).
TEST_F(KernelFailureTest, APausedOrStoppedKernelRedrawsItsFrameWhenThePanelIsUncovered)
{
    ASSERT_TRUE(LaunchKernel(channel, Fixture("h264_aac")));
    ASSERT_TRUE(WaitFor([&] { return ReadDuration(channel); }, 10000));
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "stopped" : "paused");
        ASSERT_TRUE(PlayAndWait(channel));
        WaitFor([] { return false; }, 400);
        ASSERT_TRUE(stopped ? StopAndWait(channel) : PauseAndWait(channel));
        ASSERT_TRUE(WaitFor([&] { return NonBlackFraction(channel.renderWindow) > 0.3; }, 2000));

        QWidget cover(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        QPalette palette = cover.palette();
        palette.setColor(QPalette::Window, Qt::black);
        cover.setPalette(palette);
        cover.setAutoFillBackground(true);
        QWidget* panel = window->panel();
        cover.setGeometry(QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size()));
        cover.show();
        ASSERT_TRUE(WaitFor([&] { return NonBlackFraction(channel.renderWindow) < 0.1; }, 2000));
        cover.hide();
        EXPECT_TRUE(WaitFor([&] { return NonBlackFraction(channel.renderWindow) > 0.3; }, 2000));
    }
}
