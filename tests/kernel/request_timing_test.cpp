// The viewer's request scheme against a stand-in kernel: a thread that plays the kernel's part of
// the slot protocol with a chosen delay, or not at all.
#include "kernel/kernel_client.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace korvane;
using namespace korvane::test;
using namespace std::chrono;

namespace {
struct SlotFixture : ::testing::Test {
    std::unique_ptr<KernelSlot> slot = std::make_unique<KernelSlot>();
    KernelClient channel;
    KernelLink link{channel};
    void SetUp() override
    {
        ZeroSlot(*slot);
        channel.slot = slot.get();
        channel.callerName = QStringLiteral("Korvane");
    }
};

// Plays the kernel's part: takes every state request (resets it to -1, counting the writes it
// saw) and answers once the request has been pending for `delay` and at least `minWrites`
// writes were seen. Counting writes keeps the tests independent of how late sleeps wake up.
class StandInKernel {
public:
    StandInKernel(KernelSlot& slot, milliseconds delay, int minWrites)
        : thread_([this, &slot, delay, minWrites] {
              steady_clock::time_point first{};
              int32_t pending = -1;
              while (!stop_) {
                  const int32_t request = slot.requestedState.exchange(-1);
                  if (request >= 0 && request <= 2) {
                      if (pending < 0)
                          first = steady_clock::now();
                      pending = request;
                      ++writesSeen;
                  }
                  if (pending >= 0 && steady_clock::now() - first >= delay && writesSeen >= minWrites) {
                      slot.graphState.store(pending);
                      pending = -1;
                  }
                  std::this_thread::sleep_for(milliseconds(1));
              }
          })
    {
    }
    ~StandInKernel()
    {
        stop_ = true;
        thread_.join();
    }
    std::atomic<int> writesSeen{0};

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
} // namespace

TEST_F(SlotFixture, AKernelAnsweringAfter100msConfirmsAfterTheSecondOrThirdSleep)
{
    slot->ready.store(1);
    slot->graphState.store(0);
    slot->requestedState.store(-1);
    StandInKernel kernel(*slot, milliseconds(100), 2);
    int writes = 0;
    EXPECT_TRUE(PlayAndWait(channel, &writes));
    EXPECT_GE(writes, 2);
    EXPECT_LE(writes, 3);
    EXPECT_EQ(slot->graphState.load(), 2);
}

TEST_F(SlotFixture, AKernelThatNeverAnswersGetsExactly22WritesAndFalse)
{
    slot->ready.store(1);
    slot->graphState.store(2);
    slot->requestedState.store(-1);
    int writes = 0;
    const auto start = steady_clock::now();
    EXPECT_FALSE(PauseAndWait(channel, &writes));
    const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_EQ(writes, 22);
    EXPECT_GE(elapsed, 22 * 59);
    EXPECT_EQ(slot->requestedState.load(), 1);
}

TEST_F(SlotFixture, AnAnswerAfterTheLastWriteIsNotReadAnyMore)
{
    // The 22nd write is followed by a sleep and no read: a kernel answering only then is too late.
    slot->ready.store(1);
    slot->graphState.store(2);
    // No request pending before the first write (a zeroed slot reads as a stop request, which
    // the stand-in would count as a write).
    slot->requestedState.store(-1);
    StandInKernel kernel(*slot, milliseconds(0), 22);
    int writes = 0;
    EXPECT_FALSE(StopAndWait(channel, &writes));
    EXPECT_EQ(writes, 22);
}

TEST_F(SlotFixture, AReleasedSlotAnswersAtOnceWithoutAWrite)
{
    slot->requestedState.store(7);
    for (auto request : {&PlayAndWait, &PauseAndWait, &StopAndWait}) {
        int writes = -1;
        const auto start = steady_clock::now();
        EXPECT_TRUE(request(channel, &writes));
        EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 59);
        EXPECT_EQ(writes, 0);
        EXPECT_EQ(slot->requestedState.load(), 7);
    }
}

TEST_F(SlotFixture, TwoSeeksInARowLeaveTheSecondPosition)
{
    EXPECT_TRUE(SeekAndWait(channel, 20020000));
    EXPECT_TRUE(SeekAndWait(channel, 50050000));
    EXPECT_EQ(slot->seekRequest.load(), 50050000);
}

TEST_F(SlotFixture, ASeekTakenMeanwhileIsWrittenAgainAndAClearingKernelIsGivenUp)
{
    // A kernel that clears every request at once: the viewer rewrites in 9 ms steps, bounded.
    std::atomic<bool> stop{false};
    std::thread clearer([&] {
        while (!stop) {
            slot->seekRequest.store(-1);
        }
    });
    const auto start = steady_clock::now();
    SeekAndWait(channel, 30030000);
    const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
    stop = true;
    clearer.join();
    EXPECT_LT(elapsed, 3000);
}

TEST_F(SlotFixture, ReadDurationWaitsForReadyAndUsesTheViewersSecond)
{
    slot->duration.store(200200000);
    EXPECT_FALSE(ReadDuration(channel));
    EXPECT_EQ(channel.duration, 0);
    slot->ready.store(1);
    EXPECT_TRUE(ReadDuration(channel));
    EXPECT_EQ(channel.duration, 200200000);
    EXPECT_FLOAT_EQ(channel.durationSeconds, 20.0f);
    slot->position.store(12345678901LL);
    EXPECT_EQ(ReadPosition(channel), 12345678901LL);
}

TEST_F(SlotFixture, PathsTooShortOrTooLongForTheSlotLaunchNothing)
{
    slot->position.store(42);
    SetKernelExecutable(QStringLiteral("/nonexistent/kernel"));
    for (const QString& path : {QStringLiteral("a.mp"), QString(), QStringLiteral("/") + QString(259, QLatin1Char('x'))}) {
        EXPECT_FALSE(LaunchKernel(channel, path)) << path.size();
        EXPECT_EQ(slot->position.load(), 42);  // the slot was not touched
    }
    SetKernelExecutable(QString());
}

TEST_F(SlotFixture, LaunchZeroesTheSlotAndWritesPathAndPanel)
{
    slot->ready.store(1);
    slot->position.store(42);
    slot->duration.store(99);
    channel.renderWindow = 0x2a00007;
    channel.id = 1;
    // A process that starts but never claims the slot: what the launch wrote stays.
    SetKernelExecutable(QStringLiteral("/bin/true"));
    const QString path = QStringLiteral("/") + QString(258, QLatin1Char('p'));
    EXPECT_TRUE(LaunchKernel(channel, path));
    SetKernelExecutable(QString());
    EXPECT_FALSE(channel.startFailed);
    EXPECT_EQ(slot->ready.load(), 0);
    EXPECT_EQ(slot->position.load(), 0);
    EXPECT_EQ(slot->duration.load(), 0);
    EXPECT_EQ(slot->renderWindow.load(), 0x2a00007u);
    EXPECT_EQ(SlotMediaPath(*slot), path);
    EXPECT_EQ(channel.mediaPath, path);
    EXPECT_FALSE(ReadDuration(channel));
    EndLaunchedKernels(2000);
}

TEST_F(SlotFixture, AKernelThatCannotStartIsGoneAtOnceAndFreesTheSlot)
{
    slot->ready.store(1);
    SetKernelExecutable(QStringLiteral("/nonexistent/kernel"));
    EXPECT_TRUE(LaunchKernel(channel, QStringLiteral("/card/20250614080000.MP4")));
    SetKernelExecutable(QString());
    EXPECT_TRUE(channel.startFailed);
    EXPECT_TRUE(KernelGone(channel));
    EXPECT_FALSE(ReadDuration(channel));
    EXPECT_TRUE(SlotMediaPath(*slot).isEmpty());
    EXPECT_EQ(slot->processId.load(), 0u);
}

TEST_F(SlotFixture, ReleaseZeroesTheSlot)
{
    slot->ready.store(1);
    slot->kernelWindow.store(77);
    ReleaseKernel(channel);
    EXPECT_EQ(slot->kernelWindow.load(), 0u);
    EXPECT_EQ(slot->ready.load(), 0);
    RequestFitVideo(channel);
    EXPECT_EQ(slot->command.load(), 2);
}

// A seek that comes while a state request is under way (a pause, then a jump) waits for the
// request to end, so that the kernel takes them in the order the user gave them; a new state
// request lets the waiting seek go first.
TEST_F(SlotFixture, ASeekDuringAStateRequestIsWrittenOnceTheRequestEnds)
{
    slot->ready.store(1);
    slot->graphState.store(2);
    slot->requestedState.store(-1);
    slot->seekRequest.store(-1);
    StandInKernel kernel(*slot, milliseconds(100), 2);
    bool ended = false;
    link.RequestPause([&](bool) { ended = true; });
    link.RequestSeek(30030000);
    EXPECT_EQ(slot->seekRequest.load(), -1);
    EXPECT_TRUE(link.SeekPending());
    ASSERT_TRUE(WaitFor([&] { return ended; }, 3000));
    EXPECT_EQ(slot->seekRequest.load(), 30030000);
    EXPECT_FALSE(link.SeekPending());

    link.RequestPlay();
    link.RequestSeek(40040000);
    EXPECT_EQ(slot->seekRequest.load(), 30030000);
    link.RequestPause();
    EXPECT_EQ(slot->seekRequest.load(), 40040000);
}
