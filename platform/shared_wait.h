#pragma once
// Waiting on a word of shared memory across processes: one process sleeps while the word holds
// a value, another wakes it after writing the word (Linux futexes, not private to a process).
#include <atomic>
#include <cstdint>

namespace korvane::platform {

// Sleeps while `word` holds `expected`, at most `timeoutMs`; returns early when woken, when the
// word holds another value, or on a signal. Callers check the word again afterwards.
void WaitWhileEqual(std::atomic<int32_t>& word, int32_t expected, int timeoutMs);
// Wakes every process sleeping on `word`.
void WakeWaiters(std::atomic<int32_t>& word);

} // namespace korvane::platform
