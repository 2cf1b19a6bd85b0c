#include "platform/private_folder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvane {

bool IsPrivateFolder(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0077) == 0
           && (st.st_mode & 0700) == 0700;
}

bool MakePrivateFolder(const std::string& path)
{
    if (path.empty())
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 0777) != 0700 && ::chmod(path.c_str(), 0700) != 0)
        return false;
    return IsPrivateFolder(path);
}

std::string MakeFreshPrivateFolder(const std::string& root, const std::string& prefix)
{
    if (root.empty())
        return {};
    std::string pattern = root + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        return {};
    std::string made(buffer.data());
    return IsPrivateFolder(made) ? made : std::string();
}

bool IsAbsolutePath(const char* path)
{
    return path && path[0] == '/';
}

} // namespace korvane
