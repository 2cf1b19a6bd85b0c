#pragma once
// The process command line and the role it selects: empty for the viewer, "/CALLER:%s/ID:%d"
// for a playback kernel.
#include <QString>
#include <QStringList>

namespace korvane {

constexpr int kCommandLineLimit = 519;   // characters kept of the command line

struct ProcessRole {
    QString commandLineText;   // at most 519 characters of the command line
    bool isKernelRole = false; // the command line was not empty
};

// `arguments` are the process arguments without the program name; they are joined with
// single spaces into the command line.
ProcessRole MakeProcessRole(const QStringList& arguments);

} // namespace korvane
