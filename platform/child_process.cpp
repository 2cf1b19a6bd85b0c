#include "platform/child_process.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <map>
#include <fstream>
#include <mutex>
#include <set>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace korvane::platform {
namespace {
std::mutex g_mutex;
std::condition_variable g_ended;
std::set<pid_t> g_running;
std::multimap<pid_t, int> g_endWatches;   // eventfds told when their child has been reaped

void SignalEndWatches(pid_t pid)
{
    const auto [first, last] = g_endWatches.equal_range(pid);
    for (auto it = first; it != last; ++it) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(it->second, &one, sizeof one);
    }
    g_endWatches.erase(first, last);
}
} // namespace

std::string OwnExecutablePath()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "/proc/self/exe";
    return std::string(buf, static_cast<std::size_t>(n));
}

pid_t SpawnChild(const std::string& executable, const std::vector<std::string>& args,
                 const std::string& workingFolder)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // The child starts with default signal dispositions and an empty signal mask.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    std::lock_guard lock(g_mutex);
    const int rc = posix_spawn(&pid, executable.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        return -1;
    g_running.insert(pid);
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        std::lock_guard lock(g_mutex);
        g_running.erase(pid);
        SignalEndWatches(pid);
        g_ended.notify_all();
    }).detach();
    return pid;
}

bool ChildRunning(pid_t pid)
{
    std::lock_guard lock(g_mutex);
    return g_running.count(pid) != 0;
}

std::vector<pid_t> RunningChildren()
{
    std::lock_guard lock(g_mutex);
    return {g_running.begin(), g_running.end()};
}

bool EndChild(pid_t pid, bool hard)
{
    std::lock_guard lock(g_mutex);
    if (pid <= 0 || g_running.count(pid) == 0)
        return false;
    return kill(pid, hard ? SIGKILL : SIGTERM) == 0;
}

bool WaitChildEnded(pid_t pid, int timeoutMs)
{
    std::unique_lock lock(g_mutex);
    return g_ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [pid] { return g_running.count(pid) == 0; });
}

int WatchChildEnd(pid_t pid)
{
    std::lock_guard lock(g_mutex);
    if (pid <= 0 || g_running.count(pid) == 0)
        return -1;
    const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd >= 0)
        g_endWatches.emplace(pid, fd);
    return fd;
}

void UnwatchChildEnd(pid_t pid, int fd)
{
    if (fd < 0)
        return;
    {
        std::lock_guard lock(g_mutex);
        const auto [first, last] = g_endWatches.equal_range(pid);
        for (auto it = first; it != last; ++it)
            if (it->second == fd) {
                g_endWatches.erase(it);
                break;
            }
    }
    close(fd);
}

bool ProcessExists(pid_t pid)
{
    if (pid <= 0)
        return false;
    if (kill(pid, 0) != 0 && errno != EPERM)
        return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    const auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

pid_t OwnProcessId() { return getpid(); }
pid_t ParentProcessId() { return getppid(); }

bool EndWithParent(int signal) { return prctl(PR_SET_PDEATHSIG, signal) == 0; }

void ExitProcessNow(int code) { _exit(code); }

} // namespace korvane::platform
