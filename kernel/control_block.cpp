#include "kernel/control_block.h"

#include "kernel/kernel_log.h"
#include "platform/message_box.h"
#include "platform/shared_memory.h"

#include <QLoggingCategory>
#include <atomic>
#include <unistd.h>
#include <cstdlib>

namespace korvane {
namespace {
std::atomic<int> g_blockFd{-1};
// Set once this viewer holds the block it will remove at shut-down.
std::atomic<bool> g_viewerOwnsBlock{false};
constexpr int kFreshNameTries = 16;

bool Adopt(int fd)
{
    if (fd < 0)
        return false;
    platform::CloseSharedMemory(g_blockFd.exchange(fd));
    return true;
}

// The block under `name` is another user's, or cannot be opened: the viewer makes a block of its
// own under a name nobody holds and hands that name to its kernels through the environment they
// inherit. The other object is left as it is.
bool OpenFreshBlock(const QString& name)
{
    for (int i = 0; i < kFreshNameTries; ++i) {
        const QString fresh = QStringLiteral("%1-%2-%3").arg(name).arg(getpid()).arg(i);
        if (Adopt(platform::CreateFreshSharedMemory(fresh.toStdString(), kControlBlockSize))) {
            qputenv("KORVANE_CONTROL_BLOCK", fresh.toLocal8Bit());
            qCWarning(lcKernel) << "the control block" << name << "cannot be used; this viewer uses" << fresh;
            return true;
        }
    }
    return false;
}
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
    return Adopt(platform::OpenSharedMemory(name.toStdString(), kControlBlockSize, create));
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

void UnlinkViewerControlBlock()
{
    // A viewer that never got its block (a second instance ending early) removes nothing: the
    // block under the name belongs to the viewer that runs.
    if (g_viewerOwnsBlock.exchange(false))
        platform::RemoveSharedMemory(ControlBlockName().toStdString());
}

bool OpenViewerSlots(KernelSlot*& slotA, KernelSlot*& slotB)
{
    slotA = slotB = nullptr;
    const QString name = ControlBlockName();
    const bool usable = !name.isEmpty() && !name.contains(QLatin1Char('/'));
    if (!usable || !(OpenControlBlock(name) || OpenFreshBlock(name))) {
        ShowErrorNumber(0x6006);
        return false;
    }
    g_viewerOwnsBlock = true;
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
