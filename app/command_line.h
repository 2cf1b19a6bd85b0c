#pragma once
// The process command line and the role it selects: "/CALLER:%s/ID:%d" for a playback kernel,
// anything else for the viewer, which takes one optional argument, a recording folder.
#include <QString>
#include <QStringList>

namespace korvane {

constexpr int kCommandLineLimit = 519;   // characters kept of the command line

struct ProcessRole {
    QString commandLineText;   // at most 519 characters of the command line
    bool isKernelRole = false; // the command line is a kernel's
    // Viewer role: the recording folder named on the command line (absolute), empty when none
    // was given or it cannot be opened; then `argumentMessage` says why, for the user.
    QString startFolder;
    QString argumentMessage;
};

// `arguments` are the process arguments without the program name; they are joined with
// single spaces into the command line. A command line that begins "/CALLER:" makes a kernel.
ProcessRole MakeProcessRole(const QStringList& arguments);

} // namespace korvane
