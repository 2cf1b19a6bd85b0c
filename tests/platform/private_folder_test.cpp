// Private folders: made 0700, narrowed when wider, refused when a link or not the user's.
#include "platform/private_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

class Scratch : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/korvane-private-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string root;
};

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST_F(Scratch, MadeWithMode0700)
{
    const std::string folder = root + "/own";
    ASSERT_TRUE(MakePrivateFolder(folder));
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_TRUE(IsPrivateFolder(folder));
    EXPECT_TRUE(MakePrivateFolder(folder));  // again: already there
}

TEST_F(Scratch, WiderModeOfTheUsersFolderIsNarrowed)
{
    const std::string folder = root + "/wide";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    EXPECT_FALSE(IsPrivateFolder(folder));
    EXPECT_TRUE(MakePrivateFolder(folder));
    EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST_F(Scratch, LinksFilesAndOtherUsersFoldersAreRefused)
{
    const std::string target = root + "/target";
    ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
    const std::string link = root + "/link";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_FALSE(IsPrivateFolder(link));
    EXPECT_FALSE(MakePrivateFolder(link));

    const std::string file = root + "/file";
    ASSERT_EQ(::close(::creat(file.c_str(), 0600)), 0);
    EXPECT_FALSE(MakePrivateFolder(file));

    if (::geteuid() == 0) {
        // Root can hand a folder to another user, as that user would have made it.
        const std::string foreign = root + "/foreign";
        ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(IsPrivateFolder(foreign));
        EXPECT_FALSE(MakePrivateFolder(foreign));
    }
}

TEST_F(Scratch, FreshFoldersAreNewAndPrivate)
{
    const std::string a = MakeFreshPrivateFolder(root, "x-");
    const std::string b = MakeFreshPrivateFolder(root, "x-");
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(IsPrivateFolder(a));
    EXPECT_EQ(MakeFreshPrivateFolder(root + "/missing", "x-"), "");
}

TEST(AbsolutePath, OnlyALeadingSlash)
{
    EXPECT_TRUE(IsAbsolutePath("/run/user/1000"));
    EXPECT_FALSE(IsAbsolutePath("run/user"));
    EXPECT_FALSE(IsAbsolutePath(""));
    EXPECT_FALSE(IsAbsolutePath(nullptr));
}

} // namespace
} // namespace korvane::test
