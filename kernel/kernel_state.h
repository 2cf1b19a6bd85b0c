#pragma once
// The names both sides of a slot give its numbers: the state the viewer asks for, the state the
// graph reports and the commands. The slot stores the numbers themselves; these names are only
// how the code reads and writes them.
#include <cstdint>

namespace korvane {

// requestedState: written by the viewer, reset to -1 by the kernel once it has acted.
enum class RequestedState : int32_t { None = -1, Stop = 0, Pause = 1, Run = 2, Quit = 10 };
// graphState: what the kernel's graph reports.
enum class GraphState : int32_t { Stopped = 0, Paused = 1, Running = 2 };
// command: written by the viewer, reset to -1 by the kernel.
enum class KernelCommand : int32_t { None = -1, Close = 1, FitVideo = 2 };

constexpr int32_t ToSlot(RequestedState s) { return static_cast<int32_t>(s); }
constexpr int32_t ToSlot(GraphState s) { return static_cast<int32_t>(s); }
constexpr int32_t ToSlot(KernelCommand c) { return static_cast<int32_t>(c); }

} // namespace korvane
