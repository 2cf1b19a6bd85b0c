#pragma once
// Where the kernels of a moment's channels sit in the control block. A camera with several
// channels (front, rear, interior, ...) records them as one moment, and each channel plays in a
// kernel of its own. The current moment and the one prepared next take turns in two sets, as
// single recordings always have: the main channel of set 0 is slot 0 and that of set 1 slot 1,
// so a recording of one channel uses the same slots as ever. A set's other channels take the
// slots after the two main ones: set 0 slots 2 to 4, set 1 slots 5 to 7.
#include "kernel/kernel_slot.h"

namespace korvane {

constexpr int kMomentSets = 2;          // the current moment and the one prepared next
constexpr int kMaxMomentChannels = 4;   // a moment's main channel and up to three others
constexpr int kMomentSlots = kMomentSets * kMaxMomentChannels;

// The slot (and kernel ID) of channel `channel` of set `set`; channel 0 is the main one.
// -1 for a set or channel outside the ranges above.
constexpr int MomentSlotId(int set, int channel)
{
    if (set < 0 || set >= kMomentSets || channel < 0 || channel >= kMaxMomentChannels)
        return -1;
    if (channel == 0)
        return set;
    return kMomentSets + set * (kMaxMomentChannels - 1) + (channel - 1);
}

static_assert(MomentSlotId(0, 0) == 0 && MomentSlotId(1, 0) == 1);
static_assert(MomentSlotId(kMomentSets - 1, kMaxMomentChannels - 1) == kMomentSlots - 1);
static_assert(kMomentSlots - 1 <= kMaxKernelId, "the control block holds every slot of both sets");

} // namespace korvane
