// Futex waits on a word of shared memory.
#include "platform/shared_wait.h"

#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace korvane::platform {

static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t) && std::atomic<int32_t>::is_always_lock_free);

void WaitWhileEqual(std::atomic<int32_t>& word, int32_t expected, int timeoutMs)
{
    if (timeoutMs <= 0)
        return;
    timespec timeout{timeoutMs / 1000, static_cast<long>(timeoutMs % 1000) * 1000000L};
    syscall(SYS_futex, reinterpret_cast<int32_t*>(&word), FUTEX_WAIT, expected, &timeout, nullptr, 0);
}

void WakeWaiters(std::atomic<int32_t>& word)
{
    syscall(SYS_futex, reinterpret_cast<int32_t*>(&word), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

} // namespace korvane::platform
