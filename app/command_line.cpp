#include "app/command_line.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include "kernel/standalone_kernel.h"

Q_LOGGING_CATEGORY(lcCommandLine, "korvane.app.commandline")

namespace korvane {
namespace {
// The viewer's one optional argument: a folder to open instead of the start directory.
void TakeFolderArgument(const QStringList& arguments, ProcessRole& role)
{
    if (arguments.isEmpty())
        return;
    const QString startDirectory = QStringLiteral("The start directory is opened instead.");
    if (arguments.size() > 1) {
        role.argumentMessage = QStringLiteral("Korvane takes one argument, a recording folder; it was given %1:\n%2\n\n%3")
                                   .arg(arguments.size())
                                   .arg(arguments.join(QLatin1Char('\n')), startDirectory);
    } else {
        const QFileInfo info(arguments.first());
        if (arguments.first().isEmpty() || !info.exists())
            role.argumentMessage = QStringLiteral("The folder does not exist:\n%1\n\n%2").arg(arguments.first(), startDirectory);
        else if (!info.isDir())
            role.argumentMessage = QStringLiteral("This is not a folder:\n%1\n\n%2").arg(arguments.first(), startDirectory);
        else if (!info.isReadable() || !info.isExecutable())
            role.argumentMessage = QStringLiteral("The folder cannot be read:\n%1\n\n%2").arg(arguments.first(), startDirectory);
        else
            role.startFolder = QDir::cleanPath(info.absoluteFilePath());
    }
    if (!role.argumentMessage.isEmpty())
        qCWarning(lcCommandLine).noquote() << "command line not taken:" << role.argumentMessage;
}
} // namespace

ProcessRole MakeProcessRole(const QStringList& arguments)
{
    ProcessRole role;
    if (IsKernelCommandLine(arguments)) {
        role.commandLineText = arguments.join(QLatin1Char(' ')).left(kCommandLineLimit);
        role.isKernelRole = true;
    } else {
        TakeFolderArgument(arguments, role);
    }
    return role;
}

} // namespace korvane
