#include "app/command_line.h"

namespace korvane {

ProcessRole MakeProcessRole(const QStringList& arguments)
{
    ProcessRole role;
    const QString line = arguments.join(QLatin1Char(' '));
    if (!line.isEmpty()) {
        role.commandLineText = line.left(kCommandLineLimit);
        role.isKernelRole = true;
    }
    return role;
}

} // namespace korvane
