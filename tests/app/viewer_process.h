#pragma once
// What a viewer process of a test leaves when it is killed: its control block, its lock file and
// its socket. The test removes them itself.
#include <QFile>
#include <QString>

#include "platform/instance_lock.h"
#include "platform/shared_memory.h"

namespace korvane::test {

inline QString LockPathOf(const QString& block)
{
    return QString::fromStdString(InstanceLock::DefaultPath(block.toStdString()));
}

inline void RemoveViewerLeftovers(const QString& block)
{
    platform::RemoveSharedMemory(block.toStdString());
    const QString lock = LockPathOf(block);
    QFile::remove(QString::fromStdString(InstanceLock::SocketPath(lock.toStdString())));
    QFile::remove(lock);
}

// Removes them when the test ends, also when it ends early.
struct ViewerLeftovers {
    QString block;
    ~ViewerLeftovers() { RemoveViewerLeftovers(block); }
};

} // namespace korvane::test
