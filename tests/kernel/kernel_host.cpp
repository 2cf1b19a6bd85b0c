// Test-only executable with the program's two process roles reduced to what the kernel tests
// need: the kernel role ("/CALLER:<name>/ID:<n>"), a minimal viewer that launches a kernel into a
// panel and idles ("--viewer <file> <pid-file>"), and a slot writer for the cross-process test
// ("--write-slot <block> <id> <value>").
#include "kernel/control_block.h"
#include "kernel/kernel_client.h"
#include "kernel/standalone_kernel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWidget>

#include <unistd.h>

using namespace korvane;

namespace {
int WriteSlot(const QStringList& args)
{
    if (args.size() < 4 || !OpenControlBlock(args[1]))
        return 2;
    KernelSlot* slot = MapSlot(args[2].toInt());
    if (!slot)
        return 3;
    const qint64 value = args[3].toLongLong();
    slot->position.store(value);
    slot->duration.store(value * 2);
    slot->processId.store(static_cast<uint32_t>(getpid()));
    SetSlotMediaPath(*slot, QStringLiteral("/written/by/another/process.MP4"));
    slot->ready.store(1);
    return 0;
}

int Viewer(const QStringList& args)
{
    if (args.size() < 3)
        return 2;
    QWidget window;
    window.resize(640, 360);
    QWidget panel(&window);
    panel.setGeometry(0, 0, 640, 360);
    window.show();
    KernelSlot* a = nullptr;
    KernelSlot* b = nullptr;
    if (!OpenViewerSlots(a, b))
        return 3;
    KernelClient channel;
    SetUpKernelClient(channel, 0, &panel, a);
    channel.callerName = QStringLiteral("Korvane");
    channel.launchFolder = QDir::currentPath();
    SetKernelExecutable(QCoreApplication::applicationFilePath());
    if (!LaunchKernel(channel, args[1]))
        return 4;
    QFile pidFile(args[2]);
    if (pidFile.open(QIODevice::WriteOnly))
        pidFile.write(QByteArray::number(channel.kernelPid));
    pidFile.close();
    return QApplication::exec();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--write-slot") {
        QStringList args;
        for (int i = 1; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        return WriteSlot(args);
    }
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (IsKernelCommandLine(args))
        return RunStandaloneKernel(args);
    if (!args.isEmpty() && args[0] == QLatin1String("--viewer"))
        return Viewer(args);
    // Anything else is a kernel command line the kernel must reject.
    return RunStandaloneKernel(args);
}
