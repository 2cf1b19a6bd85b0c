#include "platform/process_peer.h"

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::platform {

bool ProcessOfUserMapsBlock(pid_t pid, const std::string& objectName)
{
    if (pid <= 1 || objectName.empty())
        return false;
    const std::string proc = "/proc/" + std::to_string(pid);
    struct stat st {};
    if (::stat(proc.c_str(), &st) != 0 || st.st_uid != ::getuid())
        return false;
    std::ifstream maps(proc + "/maps");
    const std::string wanted = "/dev/shm" + objectName;
    for (std::string line; std::getline(maps, line);) {
        const std::size_t at = line.find(wanted);
        if (at == std::string::npos)
            continue;
        const std::string rest = line.substr(at + wanted.size());
        if (rest.empty() || rest == " (deleted)")
            return true;
    }
    return false;
}

} // namespace korvane::platform
