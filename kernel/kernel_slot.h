#pragma once
// One kernel's record in the shared control block. Every request is a value written by one side
// and reset to -1 by the other. The kernel wakes on a new request (a futex on requestedState);
// the viewer wakes on the kernel's answers (a futex on `answers`, which the kernel counts up
// after every change it publishes: ready, a failed build, a request taken, a new graph state).
// Fields that both processes touch are lock-free atomics, so no reader ever sees half a value.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

class QString;

namespace korvane {

struct KernelSlot {
    std::atomic<int32_t> alive;           // kernel: 1 once started
    std::atomic<uint32_t> processId;      // kernel: its process id
    std::atomic<int32_t> buildError;      // kernel: error number of a failed build, set before its box; 0 none
    std::atomic<int32_t> command;         // viewer sets, kernel resets: 1 close, 2 fit video, -1 none
    std::atomic<uint8_t> muteAudio;       // viewer: 1 keeps the kernel's sound silent, 0 lets it be heard
    std::atomic<uint8_t> audioOutput;     // kernel: 0 no sound stream, 1 heard, 2 silenced
    std::atomic<uint8_t> ready;           // kernel: 1 when the graph is built and the loop runs
    std::atomic<int8_t> rateOffset;       // viewer: speed off normal in tenths of a percent (-100..100)
    std::atomic<int8_t> playingRate;      // kernel: the offset the graph plays at now
    uint8_t unused21[3];
    std::atomic<int64_t> seekRequest;     // viewer sets, kernel resets: 100 ns units, negative = none
    std::atomic<int64_t> position;        // kernel: current position, 100 ns units
    std::atomic<int64_t> duration;        // kernel (viewer zeroes it at launch): 100 ns units
    char16_t mediaPath[520];              // viewer: UTF-16 path of the recording, zero-terminated
    std::atomic<uint32_t> renderWindow;   // viewer: X11 window id of the panel
    std::atomic<uint32_t> kernelWindow;   // kernel: X11 window id of its main window; 0 = quit
    std::atomic<int32_t> answers;          // kernel: counted up after each change it publishes
    std::atomic<int32_t> requestedState;  // viewer sets, kernel resets: 0 stop, 1 pause, 2 run, 10 quit
    std::atomic<int32_t> graphState;      // kernel: 0 stopped, 1 paused, 2 running
    std::atomic<uint32_t> positionClock;  // kernel: steady clock (ms, wraps) when `position` was read; 0 while written
};

constexpr std::size_t kSlotSize = 1112;
// Three pages: room for eleven slots, of which the channels of two moments take eight
// (kernel/moment_slots.h). A block left by an older viewer with one page grows when opened.
constexpr std::size_t kControlBlockSize = 12288;
constexpr int kMaxKernelId = static_cast<int>(kControlBlockSize / kSlotSize) - 1;  // IDs 0..10
constexpr int kMediaPathUnits = 520;

static_assert(std::is_standard_layout_v<KernelSlot>);
static_assert(sizeof(KernelSlot) == kSlotSize);
static_assert(offsetof(KernelSlot, alive) == 0);
static_assert(offsetof(KernelSlot, processId) == 4);
static_assert(offsetof(KernelSlot, buildError) == 8);
static_assert(offsetof(KernelSlot, command) == 12);
static_assert(offsetof(KernelSlot, muteAudio) == 16);
static_assert(offsetof(KernelSlot, audioOutput) == 17);
static_assert(offsetof(KernelSlot, ready) == 18);
static_assert(offsetof(KernelSlot, rateOffset) == 19);
static_assert(offsetof(KernelSlot, playingRate) == 20);
static_assert(offsetof(KernelSlot, seekRequest) == 24);
static_assert(offsetof(KernelSlot, position) == 32);
static_assert(offsetof(KernelSlot, duration) == 40);
static_assert(offsetof(KernelSlot, mediaPath) == 48);
static_assert(offsetof(KernelSlot, renderWindow) == 1088);
static_assert(offsetof(KernelSlot, kernelWindow) == 1092);
static_assert(offsetof(KernelSlot, answers) == 1096);
static_assert(offsetof(KernelSlot, requestedState) == 1100);
static_assert(offsetof(KernelSlot, graphState) == 1104);
static_assert(offsetof(KernelSlot, positionClock) == 1108);
static_assert(std::atomic<int32_t>::is_always_lock_free);
static_assert(std::atomic<uint32_t>::is_always_lock_free);
static_assert(std::atomic<uint8_t>::is_always_lock_free);
static_assert(std::atomic<int8_t>::is_always_lock_free);
static_assert(std::atomic<int64_t>::is_always_lock_free);
static_assert(sizeof(std::atomic<int64_t>) == 8 && sizeof(std::atomic<int32_t>) == 4 &&
              sizeof(std::atomic<uint8_t>) == 1);

// What a kernel reports in audioOutput.
enum class AudioOutput : uint8_t { None = 0, Heard = 1, Silenced = 2 };

// The rate offsets a channel may be asked to play at: a tenth of a percent each, up to 10 %.
constexpr int kMaxRateOffset = 100;
constexpr double RateOfOffset(int offset) { return 1.0 + offset / 1000.0; }

// The steady clock both processes read (milliseconds, wrapping after 49 days, never 0), with
// which the kernel stamps each position it reports: a position is then known for an instant
// rather than for "some time in the last pass".
uint32_t SlotClockMs();
// How many ms `later` lies after `earlier` on that clock (negative when before).
inline int32_t SlotClockSpan(uint32_t earlier, uint32_t later)
{
    return static_cast<int32_t>(later - earlier);
}

// A reported position with the instant it was read.
struct StampedPosition {
    int64_t position = 0;    // 100 ns units
    uint32_t clockMs = 0;    // 0: not stamped (an older kernel, or being written)
};
// Kernel: writes the position and its stamp so that a reader never pairs one with the other's
// previous value. Viewer: reads them; clockMs is 0 when no consistent pair could be read.
void PublishPosition(KernelSlot& slot, int64_t position100ns, uint32_t clockMs);
StampedPosition ReadStampedPosition(const KernelSlot& slot);

// Writes zero into every field: the slot then belongs to no kernel.
void ZeroSlot(KernelSlot& slot);

// The slot's media path (up to the first zero unit).
QString SlotMediaPath(const KernelSlot& slot);
// Copies at most 519 units of the path and a terminating zero into the slot.
void SetSlotMediaPath(KernelSlot& slot, const QString& path);

} // namespace korvane
