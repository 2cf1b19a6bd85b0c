#include "kernel/control_block.h"

#include "platform/message_box.h"
#include "platform/shared_memory.h"

#include <atomic>
#include <cstdlib>

namespace korvane {
namespace {
std::atomic<int> g_blockFd{-1};
} // namespace

QString ControlBlockName()
{
    const char* env = std::getenv("KORVANE_CONTROL_BLOCK");
    if (env && *env)
        return QString::fromLocal8Bit(env);
    return QStringLiteral("VCRServer");
}

bool OpenControlBlock(const QString& name, bool create)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    const int fd = platform::OpenSharedMemory(name.toStdString(), kControlBlockSize, create);
    if (fd < 0)
        return false;
    const int old = g_blockFd.exchange(fd);
    platform::CloseSharedMemory(old);
    return true;
}

KernelSlot* MapSlot(int id)
{
    if (id < 0 || id > kMaxKernelId)
        return nullptr;
    void* view = platform::MapSharedMemory(g_blockFd.load(), kControlBlockSize);
    if (!view)
        return nullptr;
    return reinterpret_cast<KernelSlot*>(static_cast<char*>(view) + id * kSlotSize);
}

void CloseControlBlock()
{
    platform::CloseSharedMemory(g_blockFd.exchange(-1));
}

bool OpenViewerSlots(KernelSlot*& slotA, KernelSlot*& slotB)
{
    slotA = slotB = nullptr;
    if (!OpenControlBlock(ControlBlockName())) {
        ShowErrorNumber(0x6006);
        return false;
    }
    if (!(slotA = MapSlot(0))) {
        ShowErrorNumber(0x6004);
        return false;
    }
    if (!(slotB = MapSlot(1))) {
        ShowErrorNumber(0x6005);
        return false;
    }
    return true;
}

} // namespace korvane
