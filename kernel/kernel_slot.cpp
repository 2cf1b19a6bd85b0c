#include "kernel/kernel_slot.h"

#include <QString>

#include <chrono>

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
    slot.positionClock.store(0);
    slot.muteAudio.store(0);
    slot.audioOutput.store(0);
    slot.rateOffset.store(0);
    slot.playingRate.store(0);
    for (auto& b : slot.unused21)
        b = 0;
    // Last: a kernel that claims the slot after this sees it without a path and lets it be.
    slot.processId.store(0);
}

uint32_t SlotClockMs()
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    const auto stamp = static_cast<uint32_t>(ms.count());
    return stamp == 0 ? 1 : stamp;
}

void PublishPosition(KernelSlot& slot, int64_t position100ns, uint32_t clockMs)
{
    // The stamp is cleared first and set last: a reader that sees the same stamp before and
    // after reading the position has a matching pair.
    slot.positionClock.store(0);
    slot.position.store(position100ns);
    slot.positionClock.store(clockMs == 0 ? 1 : clockMs);
}

StampedPosition ReadStampedPosition(const KernelSlot& slot)
{
    StampedPosition read;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const uint32_t before = slot.positionClock.load();
        read.position = slot.position.load();
        if (before != 0 && slot.positionClock.load() == before) {
            read.clockMs = before;
            return read;
        }
    }
    read.clockMs = 0;
    return read;
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
