#include "kernel/control_block.h"
#include "kernel/kernel_slot.h"
#include "kernel/moment_slots.h"
#include "platform/message_box.h"
#include "platform/shared_memory.h"
#include "test_support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cstddef>
#include <sys/stat.h>
#include <unistd.h>

using namespace korvane;

namespace {
struct Recorder : MessageSink {
    QStringList texts;
    int Show(const QString& caption, const QString& text, BoxIcon, BoxButtons) override
    {
        texts << caption + QLatin1Char('|') + text;
        return kResultOk;
    }
};
} // namespace

TEST(KernelSlot, FieldsSitWhereBothProcessesExpectThem)
{
    struct Field { std::size_t offset, size, expectedOffset, expectedSize; };
    const Field fields[] = {
        {offsetof(KernelSlot, alive), sizeof(KernelSlot::alive), 0, 4},
        {offsetof(KernelSlot, processId), sizeof(KernelSlot::processId), 4, 4},
        {offsetof(KernelSlot, command), sizeof(KernelSlot::command), 12, 4},
        {offsetof(KernelSlot, ready), sizeof(KernelSlot::ready), 18, 1},
        {offsetof(KernelSlot, seekRequest), sizeof(KernelSlot::seekRequest), 24, 8},
        {offsetof(KernelSlot, position), sizeof(KernelSlot::position), 32, 8},
        {offsetof(KernelSlot, duration), sizeof(KernelSlot::duration), 40, 8},
        {offsetof(KernelSlot, mediaPath), sizeof(KernelSlot::mediaPath), 48, 1040},
        {offsetof(KernelSlot, renderWindow), sizeof(KernelSlot::renderWindow), 1088, 4},
        {offsetof(KernelSlot, kernelWindow), sizeof(KernelSlot::kernelWindow), 1092, 4},
        {offsetof(KernelSlot, requestedState), sizeof(KernelSlot::requestedState), 1100, 4},
        {offsetof(KernelSlot, graphState), sizeof(KernelSlot::graphState), 1104, 4},
    };
    for (const Field& f : fields) {
        EXPECT_EQ(f.offset, f.expectedOffset);
        EXPECT_EQ(f.size, f.expectedSize);
    }
    EXPECT_EQ(sizeof(KernelSlot), 1112u);
    EXPECT_EQ(kMaxKernelId, 10);
}

TEST(KernelSlot, ZeroingClearsEveryByteAndPathsAreCutTo519Units)
{
    alignas(8) unsigned char raw[sizeof(KernelSlot)];
    memset(raw, 0xA5, sizeof raw);
    auto* slot = reinterpret_cast<KernelSlot*>(raw);
    ZeroSlot(*slot);
    for (unsigned char b : raw)
        ASSERT_EQ(b, 0);
    SetSlotMediaPath(*slot, QString(600, QLatin1Char('x')));
    EXPECT_EQ(SlotMediaPath(*slot).size(), 519);
    EXPECT_EQ(slot->mediaPath[519], 0);
    SetSlotMediaPath(*slot, QStringLiteral("/card/録画/20260101120000.MP4"));
    EXPECT_EQ(SlotMediaPath(*slot), QStringLiteral("/card/録画/20260101120000.MP4"));
}

TEST(ControlBlock, IsNamedPerUserAndCreatedPrivateAndZeroFilled)
{
    test::PrivateControlBlock block;
    EXPECT_EQ(platform::SharedMemoryObjectName("VCRServer"), "/VCRServer." + std::to_string(getuid()));
    ASSERT_TRUE(OpenControlBlock(block.name()));
    const std::string file = "/dev/shm" + platform::SharedMemoryObjectName(block.name().toStdString());
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 12288);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_uid, getuid());
    KernelSlot* slot = MapSlot(2);
    ASSERT_NE(slot, nullptr);
    const auto* bytes = reinterpret_cast<const unsigned char*>(slot) - 2 * kSlotSize;
    for (std::size_t i = 0; i < kControlBlockSize; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
}

TEST(ControlBlock, SlotsOutsideTheBlockAndMissingHandlesFail)
{
    test::PrivateControlBlock block;
    CloseControlBlock();
    EXPECT_EQ(MapSlot(0), nullptr);  // no handle yet
    ASSERT_TRUE(OpenControlBlock(block.name()));
    EXPECT_EQ(MapSlot(-1), nullptr);
    EXPECT_EQ(MapSlot(kMaxKernelId + 1), nullptr);
    EXPECT_NE(MapSlot(kMaxKernelId), nullptr);
    EXPECT_NE(MapSlot(0), nullptr);
    EXPECT_FALSE(OpenControlBlock(QStringLiteral("a/b")));
}

TEST(MomentSlots, EveryChannelOfBothSetsHasASlotOfItsOwnAndTheMainOnesKeepTheirs)
{
    struct Case { int set, channel, id; };
    const Case cases[] = {
        {0, 0, 0}, {1, 0, 1},                 // the main channels: the slots of single recordings
        {0, 1, 2}, {0, 2, 3}, {0, 3, 4},      // the current moment's other channels
        {1, 1, 5}, {1, 2, 6}, {1, 3, 7},      // the prepared moment's
        {-1, 0, -1}, {2, 0, -1}, {0, -1, -1}, {0, 4, -1}, {1, 4, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MomentSlotId(c.set, c.channel), c.id) << c.set << "/" << c.channel;
    for (int set = 0; set < kMomentSets; ++set)
        for (int channel = 0; channel < kMaxMomentChannels; ++channel)
            EXPECT_LE(MomentSlotId(set, channel), kMaxKernelId);
}

TEST(ControlBlock, ABlockLeftWithTheOldSizeGrowsAndKeepsItsSlots)
{
    test::PrivateControlBlock block;
    {
        // What an older viewer made: one page, slot 1 in use.
        const int fd = platform::OpenSharedMemory(block.name().toStdString(), 4096, true);
        ASSERT_GE(fd, 0);
        void* view = platform::MapSharedMemory(fd, 4096);
        ASSERT_NE(view, nullptr);
        reinterpret_cast<KernelSlot*>(static_cast<char*>(view) + kSlotSize)->position.store(4242);
        platform::CloseSharedMemory(fd);
    }
    ASSERT_TRUE(OpenControlBlock(block.name()));
    const std::string file = "/dev/shm" + platform::SharedMemoryObjectName(block.name().toStdString());
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, static_cast<off_t>(kControlBlockSize));
    ASSERT_NE(MapSlot(1), nullptr);
    EXPECT_EQ(MapSlot(1)->position.load(), 4242);
    KernelSlot* last = MapSlot(MomentSlotId(1, 3));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->position.load(), 0);
    last->position.store(7);
    EXPECT_EQ(MapSlot(7)->position.load(), 7);
}

TEST(ControlBlock, EachMapSlotIsAnotherViewOfTheSameMemory)
{
    test::PrivateControlBlock block;
    ASSERT_TRUE(OpenControlBlock(block.name()));
    KernelSlot* first = MapSlot(1);
    KernelSlot* second = MapSlot(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    first->position.store(0x123456789ALL);
    EXPECT_EQ(second->position.load(), 0x123456789ALL);
}

TEST(ControlBlock, AnotherProcessCreatesItAndThisOneSeesItsWrites)
{
    test::PrivateControlBlock block;
    QProcess writer;
    writer.start(QStringLiteral(KORVANE_KERNEL_HOST),
                 {QStringLiteral("--write-slot"), block.name(), QStringLiteral("1"), QStringLiteral("987654321")});
    ASSERT_TRUE(writer.waitForFinished(10000));
    ASSERT_EQ(writer.exitCode(), 0);
    ASSERT_TRUE(OpenControlBlock(block.name()));
    KernelSlot* slot = MapSlot(1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->position.load(), 987654321);
    EXPECT_EQ(slot->duration.load(), 2 * 987654321LL);
    EXPECT_EQ(slot->ready.load(), 1);
    EXPECT_NE(slot->processId.load(), static_cast<uint32_t>(getpid()));
    EXPECT_EQ(SlotMediaPath(*slot), QStringLiteral("/written/by/another/process.MP4"));
    EXPECT_EQ(MapSlot(0)->position.load(), 0);  // other slots untouched
}

TEST(ControlBlock, ViewerReportsABlockItCannotOpen)
{
    Recorder recorder;
    SetMessageSink(&recorder);
    setenv("KORVANE_CONTROL_BLOCK", "no/such/block", 1);
    KernelSlot* a = reinterpret_cast<KernelSlot*>(1);
    KernelSlot* b = reinterpret_cast<KernelSlot*>(1);
    EXPECT_FALSE(OpenViewerSlots(a, b));
    unsetenv("KORVANE_CONTROL_BLOCK");
    SetMessageSink(nullptr);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(recorder.texts, QStringList{QStringLiteral("GoogleMap|ERROR 0x6006")});
}
