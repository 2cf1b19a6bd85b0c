// The control block is the user's alone: a block with wider rights is replaced, one of another
// user is refused. Every test removes its objects.
#include "platform/shared_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::test {
namespace {

constexpr std::size_t kSize = 4096;

class Block : public testing::Test {
protected:
    void SetUp() override
    {
        name = "KorvaneShmTest" + std::to_string(::getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name();
        object = platform::SharedMemoryObjectName(name);
    }
    void TearDown() override
    {
        platform::RemoveSharedMemory(name);
        EXPECT_FALSE(std::filesystem::exists("/dev/shm" + object));
    }
    // An object made as another process would make it, with `mode` whatever the umask says.
    int Precreate(mode_t mode)
    {
        const int fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd < 0)
            return -1;
        if (::fchmod(fd, mode) != 0 || ::ftruncate(fd, kSize) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    static mode_t ModeOf(int fd)
    {
        struct stat st {};
        ::fstat(fd, &st);
        return st.st_mode & 07777;
    }
    std::string name, object;
};

TEST_F(Block, IsMadeWithMode0600)
{
    const int fd = platform::OpenSharedMemory(name, kSize);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ModeOf(fd), 0600u);
    platform::CloseSharedMemory(fd);
}

TEST_F(Block, WiderBlockIsReplacedSoItsOldHoldersCannotWriteRequests)
{
    const int intruder = Precreate(0666);
    ASSERT_GE(intruder, 0);
    auto* theirs = static_cast<char*>(::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED, intruder, 0));
    ASSERT_NE(theirs, MAP_FAILED);

    const int fd = platform::OpenSharedMemory(name, kSize);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ModeOf(fd), 0600u);
    auto* ours = static_cast<char*>(platform::MapSharedMemory(fd, kSize));
    ASSERT_NE(ours, nullptr);
    std::memset(theirs, 10, 64);  // "requestedState 10" written through the old object
    EXPECT_EQ(ours[0], 0);

    ::munmap(theirs, kSize);
    ::munmap(ours, kSize);
    ::close(intruder);
    platform::CloseSharedMemory(fd);
}

TEST_F(Block, AnotherUsersBlockIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make an object of another user";
    const int fd = Precreate(0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fchown(fd, 65534, 65534), 0);
    ::close(fd);
    EXPECT_EQ(platform::OpenSharedMemory(name, kSize), -1);
}

} // namespace
} // namespace korvane::test
