// The single-instance lock lives in a place of the user's own, whatever the environment says.
#include "platform/instance_lock.h"
#include "platform/private_folder.h"

#include "env_guard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

class LockPlace : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/korvane-lock-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        shared = pattern;  // stands for /tmp
        ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
        own = shared + "/korvane-" + std::to_string(::geteuid());
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(shared, ec);
    }
    std::string shared, own;
};

struct RuntimeCase {
    const char* name;
    const char* runtime;  // "<private>" for a private folder, "<wide>" for a 0755 one
};

class RuntimeVariable : public LockPlace, public testing::WithParamInterface<RuntimeCase> {};

TEST_P(RuntimeVariable, NeverDecidesWhereTheLockLives)
{
    std::string value = GetParam().runtime ? GetParam().runtime : "";
    if (value == "<private>" || value == "<wide>") {
        value = shared + "/run";
        ASSERT_EQ(::mkdir(value.c_str(), 0700), 0);
        if (GetParam().runtime == std::string("<wide>")) {
            ASSERT_EQ(::chmod(value.c_str(), 0755), 0);
        }
    }
    EnvGuard runtime("XDG_RUNTIME_DIR", GetParam().runtime ? value.c_str() : nullptr);
    EnvGuard cache("XDG_CACHE_HOME", "relative-cache");
    // Whatever the session says, one user's viewers find one lock: the block's name in the
    // user's own folder.
    const std::string path = InstanceLock::DefaultPath("VCRServer", shared);
    EXPECT_EQ(path, own + "/VCRServer.lock");
    EXPECT_TRUE(IsPrivateFolder(own));
    EXPECT_EQ(InstanceLock::SocketPath(path), own + "/VCRServer.sock");
    EXPECT_FALSE(fs::exists("relative-cache"));
    InstanceLock lock;
    EXPECT_TRUE(lock.Acquire(path));
    InstanceLock second;
    EXPECT_FALSE(second.Acquire(path));
}

INSTANTIATE_TEST_SUITE_P(Cases, RuntimeVariable,
                         testing::Values(RuntimeCase{"private", "<private>"}, RuntimeCase{"wide", "<wide>"},
                                         RuntimeCase{"relative", "relative/run"}, RuntimeCase{"unset", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LockPlace, AnotherUsersFolderOrLinkUnderTheNameDoesNotStopTheViewer)
{
    EnvGuard runtime("XDG_RUNTIME_DIR", nullptr);
    const std::string elsewhere = shared + "/elsewhere";
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
    ASSERT_EQ(::symlink(elsewhere.c_str(), own.c_str()), 0);
    const std::string path = InstanceLock::DefaultPath("VCRServer", shared);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind(own + "-", 0), 0u) << path;  // a fresh folder of its own
    InstanceLock lock;
    EXPECT_TRUE(lock.Acquire(path));
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST_F(LockPlace, ALinkAsTheLockFileIsNotFollowed)
{
    ASSERT_TRUE(MakePrivateFolder(own));
    const std::string victim = shared + "/victim";
    ASSERT_EQ(::symlink(victim.c_str(), (own + "/korvane.lock").c_str()), 0);
    InstanceLock lock;
    EXPECT_FALSE(lock.Acquire(own + "/korvane.lock"));
    EXPECT_FALSE(fs::exists(victim));
}

TEST_F(LockPlace, ABlockNameThatIsNoFileNameGivesTheDefaultName)
{
    for (const char* name : {"", "a/b", "..", ".hidden"})
        EXPECT_EQ(InstanceLock::DefaultPath(name, shared), own + "/korvane.lock") << name;
}

} // namespace
} // namespace korvane::test
