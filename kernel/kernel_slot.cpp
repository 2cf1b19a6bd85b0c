#include "kernel/kernel_slot.h"

#include <QString>

namespace korvane {

void ZeroSlot(KernelSlot& slot)
{
    slot.kernelWindow.store(0);
    slot.ready.store(0);
    slot.alive.store(0);
    slot.buildError.store(0);
    slot.command.store(0);
    slot.seekRequest.store(0);
    slot.position.store(0);
    slot.duration.store(0);
    slot.renderWindow.store(0);
    slot.requestedState.store(0);
    slot.graphState.store(0);
    for (auto& u : slot.mediaPath)
        u = 0;
    slot.answers.store(0);
    for (auto& b : slot.unused1108)
        b = 0;
    slot.muteAudio.store(0);
    slot.audioOutput.store(0);
    for (auto& b : slot.unused19)
        b = 0;
    // Last: a kernel that claims the slot after this sees it without a path and lets it be.
    slot.processId.store(0);
}

QString SlotMediaPath(const KernelSlot& slot)
{
    int n = 0;
    while (n < kMediaPathUnits - 1 && slot.mediaPath[n] != 0)
        ++n;
    return QString::fromUtf16(slot.mediaPath, n);
}

void SetSlotMediaPath(KernelSlot& slot, const QString& path)
{
    const int n = std::min<int>(path.size(), kMediaPathUnits - 1);
    const char16_t* src = reinterpret_cast<const char16_t*>(path.utf16());
    for (int i = 0; i < n; ++i)
        slot.mediaPath[i] = src[i];
    for (int i = n; i < kMediaPathUnits; ++i)
        slot.mediaPath[i] = 0;
}

} // namespace korvane
