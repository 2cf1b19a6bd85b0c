// The kernel's error boxes come from its main thread: a graph that refuses to run on the command
// thread hands its error over, and one box is shown however often the loop retries meanwhile.
#include "kernel/control_block.h"
#include "kernel/kernel_runtime.h"
#include "platform/message_box.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {
struct ThreadRecorder : MessageSink {
    QStringList texts;
    QList<bool> onMainThread;
    int Show(const QString&, const QString& text, BoxIcon, BoxButtons) override
    {
        texts << text;
        onMainThread << (QThread::currentThread() == QCoreApplication::instance()->thread());
        return kResultOk;
    }
};
} // namespace

TEST(KernelErrorBox, AGraphThatRefusesToRunShowsItsBoxFromTheMainThread)
{
    ThreadRecorder boxes;
    SetMessageSink(&boxes);
    auto slot = std::make_unique<KernelSlot>();
    ZeroSlot(*slot);
    slot->processId.store(static_cast<uint32_t>(getpid()));
    slot->kernelWindow.store(1);
    slot->requestedState.store(ToSlot(RequestedState::Run));
    {
        KernelRuntime runtime(nullptr, nullptr, nullptr);
        runtime.slot = slot.get();  // its graph was never built: running it fails
        // Three passes of the command loop on a thread of their own, as the kernel runs them:
        // the request fails and the enforcement retries it twice.
        std::thread commandThread([&] {
            for (int i = 0; i < 3; ++i)
                runtime.KernelTick();
        });
        commandThread.join();
        EXPECT_TRUE(boxes.texts.isEmpty()) << "no box may be shown off the main thread";
        EXPECT_EQ(slot->requestedState.load(), ToSlot(RequestedState::None));  // the request was taken
        ASSERT_TRUE(WaitFor([&] { return !boxes.texts.isEmpty(); }, 2000));
        WaitFor([] { return false; }, 100);
        EXPECT_EQ(boxes.texts, QStringList{ErrorNumberText(kRunErrorNumber)});
        EXPECT_EQ(boxes.onMainThread, QList<bool>{true});

        // Once the box is gone, a new failure shows a new box.
        std::thread again([&] { runtime.KernelTick(); });
        again.join();
        ASSERT_TRUE(WaitFor([&] { return boxes.texts.size() == 2; }, 2000));
        EXPECT_EQ(boxes.onMainThread, (QList<bool>{true, true}));
    }
    SetMessageSink(nullptr);
}
