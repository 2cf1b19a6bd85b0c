// The channels of a moment in kernels of their own: real kernel processes in the slots of the
// current and the prepared moment, drawing into a main panel and insets over it.
#include "kernel/control_block.h"
#include "kernel/kernel_client.h"
#include "kernel/moment_slots.h"
#include "platform/child_process.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>

using namespace korvane;
using namespace korvane::test;

namespace {
constexpr int kReadyTimeoutMs = 15000;

class MomentKernelsTest : public ::testing::Test {
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
        // Two insets over the lower right of the main panel, side by side.
        for (int i = 0; i < 2; ++i) {
            insets[i] = new QWidget(window->panel()->window());
            insets[i]->setAttribute(Qt::WA_NativeWindow);
            insets[i]->setAttribute(Qt::WA_NoSystemBackground);
            insets[i]->setUpdatesEnabled(false);
            insets[i]->setGeometry(320 + 160 * i, 270, 160, 90);
            insets[i]->show();
            insets[i]->raise();
        }
        ASSERT_TRUE(SetUpMomentClient(clients[0], 0, 0, window->panel()));
        ASSERT_TRUE(SetUpMomentClient(clients[1], 0, 1, insets[0]));
        ASSERT_TRUE(SetUpMomentClient(clients[2], 1, 3, insets[1]));  // a prepared moment's channel
        for (KernelClient& c : clients) {
            c.callerName = QStringLiteral("Korvane");
            c.launchFolder = workFolder.path();
        }
        SetKernelExecutable(QStringLiteral(KORVANE_KERNEL_HOST));
        unsetenv("KORVANE_BOX_LOG");
    }
    void TearDown() override
    {
        if (!block)
            return;
        for (KernelClient& c : clients)
            ReleaseKernel(c);
        EndLaunchedKernels(2000);
        SetKernelExecutable(QString());
        window.reset();
        block.reset();
    }
    void LaunchAll()
    {
        ASSERT_TRUE(LaunchKernel(clients[0], Fixture("h264_aac")));
        ASSERT_TRUE(LaunchKernel(clients[1], Fixture("noaudio")));
        ASSERT_TRUE(LaunchKernel(clients[2], Fixture("h265")));
        for (KernelClient& c : clients)
            ASSERT_TRUE(WaitFor([&] { return ReadDuration(c); }, kReadyTimeoutMs)) << c.id;
    }
    static bool Advancing(const KernelClient& c)
    {
        const int64_t from = ReadPosition(c);
        return WaitFor([&] { return ReadPosition(c) > from + 2000000; }, 5000);
    }

    QTemporaryDir workFolder;
    std::unique_ptr<PrivateControlBlock> block;
    std::unique_ptr<VideoWindow> window;
    std::array<QWidget*, 2> insets{};
    std::array<KernelClient, 3> clients;
    KernelLink link0{clients[0]};
    KernelLink link1{clients[1]};
    KernelLink link2{clients[2]};
};
} // namespace

TEST_F(MomentKernelsTest, EachChannelPlaysInItsOwnSlotAndAnswersOnlyForItself)
{
    EXPECT_EQ(clients[0].id, 0);
    EXPECT_EQ(clients[1].id, 2);
    EXPECT_EQ(clients[2].id, 7);
    LaunchAll();
    for (const KernelClient& c : clients) {
        EXPECT_EQ(c.slot->processId.load(), static_cast<uint32_t>(c.kernelPid)) << c.id;
        EXPECT_EQ(SlotMediaPath(*c.slot), c.mediaPath) << c.id;
    }
    EXPECT_NE(clients[0].kernelPid, clients[1].kernelPid);
    // Each draws into its own window: the main panel and both insets show pictures.
    EXPECT_TRUE(WaitFor([&] { return NonBlackFraction(insets[0]->winId()) > 0.3; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return NonBlackFraction(insets[1]->winId()) > 0.3; }, 5000));
    EXPECT_GT(NonBlackFraction(clients[0].renderWindow), 0.3);

    for (KernelClient& c : clients)
        ASSERT_TRUE(PlayAndWait(c)) << c.id;
    for (const KernelClient& c : clients)
        EXPECT_TRUE(Advancing(c)) << c.id;

    // A pause and a seek of one channel leave the others where they are.
    ASSERT_TRUE(PauseAndWait(clients[1]));
    ASSERT_TRUE(SeekAndWait(clients[1], 5000000));
    EXPECT_TRUE(WaitFor([&] { return clients[1].slot->seekRequest.load() == -1; }, 3000));
    EXPECT_EQ(clients[0].slot->graphState.load(), ToSlot(GraphState::Running));
    EXPECT_EQ(clients[2].slot->graphState.load(), ToSlot(GraphState::Running));
    EXPECT_EQ(clients[0].slot->seekRequest.load(), -1);
    EXPECT_EQ(clients[2].slot->seekRequest.load(), -1);
    EXPECT_TRUE(Advancing(clients[0]));

    // Released, a channel's kernel ends; the others run on.
    const pid_t pid = clients[1].kernelPid;
    ReleaseKernel(clients[1]);
    EXPECT_TRUE(platform::WaitChildEnded(pid, 3000));
    EXPECT_FALSE(KernelGone(clients[0]));
    EXPECT_EQ(clients[2].slot->graphState.load(), ToSlot(GraphState::Running));
}

TEST_F(MomentKernelsTest, AnotherChannelsKernelDyingIsReportedWhileTheMainPlaysOn)
{
    LaunchAll();
    ASSERT_TRUE(PlayAndWait(clients[0]));
    ASSERT_TRUE(PlayAndWait(clients[1]));
    int goneRear = 0;
    int goneMain = 0;
    QObject::connect(clients[1].link, &KernelLink::gone, [&] { ++goneRear; });
    QObject::connect(clients[0].link, &KernelLink::gone, [&] { ++goneMain; });
    ASSERT_TRUE(platform::EndChild(clients[1].kernelPid, true));
    EXPECT_TRUE(WaitFor([&] { return goneRear > 0; }, 5000));
    EXPECT_TRUE(KernelGone(clients[1]));
    EXPECT_FALSE(KernelGone(clients[0]));
    EXPECT_FALSE(KernelGone(clients[2]));
    EXPECT_EQ(goneMain, 0);
    EXPECT_EQ(clients[0].slot->graphState.load(), ToSlot(GraphState::Running));
    EXPECT_TRUE(Advancing(clients[0]));
    // The dead kernel's requests end unconfirmed; the main channel still takes its own.
    EXPECT_FALSE(PauseAndWait(clients[1]));
    EXPECT_TRUE(PauseAndWait(clients[0]));
}

TEST_F(MomentKernelsTest, OnlyTheHeardChannelsSoundIsOnAndTheSoundMovesWithAMuteRequest)
{
    // Front and rear both record a tone; only the front is to be heard.
    clients[1].muted = true;
    ASSERT_TRUE(LaunchKernel(clients[0], Fixture("h264_aac")));
    ASSERT_TRUE(LaunchKernel(clients[1], Fixture("h264_aac")));
    ASSERT_TRUE(LaunchKernel(clients[2], Fixture("noaudio")));
    for (KernelClient& c : clients)
        ASSERT_TRUE(WaitFor([&] { return ReadDuration(c); }, kReadyTimeoutMs)) << c.id;
    // Silent from the build on, before anything plays.
    EXPECT_EQ(clients[0].slot->audioOutput.load(), uint8_t(AudioOutput::Heard));
    EXPECT_EQ(clients[1].slot->audioOutput.load(), uint8_t(AudioOutput::Silenced));
    EXPECT_EQ(clients[2].slot->audioOutput.load(), uint8_t(AudioOutput::None));
    for (KernelClient& c : clients)
        ASSERT_TRUE(PlayAndWait(c)) << c.id;
    EXPECT_TRUE(Advancing(clients[1]));
    EXPECT_EQ(clients[1].slot->audioOutput.load(), uint8_t(AudioOutput::Silenced));

    // The rear becomes the heard channel while both play: the sound moves to it.
    SetKernelMuted(clients[0], true);
    SetKernelMuted(clients[1], false);
    EXPECT_TRUE(WaitFor([&] {
        return clients[0].slot->audioOutput.load() == uint8_t(AudioOutput::Silenced) &&
               clients[1].slot->audioOutput.load() == uint8_t(AudioOutput::Heard);
    }, 3000));
    EXPECT_EQ(clients[0].slot->graphState.load(), ToSlot(GraphState::Running));
    EXPECT_TRUE(Advancing(clients[0]));
    // A recording without sound has nothing to silence.
    SetKernelMuted(clients[2], true);
    EXPECT_FALSE(WaitFor([&] { return clients[2].slot->audioOutput.load() != uint8_t(AudioOutput::None); }, 300));
}

TEST_F(MomentKernelsTest, AChannelOutsideTheBlockGetsNoSlot)
{
    KernelClient outside;
    EXPECT_FALSE(SetUpMomentClient(outside, 0, kMaxMomentChannels, nullptr));
    EXPECT_EQ(outside.slot, nullptr);
    EXPECT_FALSE(SetUpMomentClient(outside, kMomentSets, 1, nullptr));
    EXPECT_FALSE(LaunchKernel(outside, Fixture("h264_aac")));
}
