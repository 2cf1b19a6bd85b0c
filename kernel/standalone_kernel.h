#pragma once
// A kernel process without the viewer's main window: a hidden window, tmClose and tmHide, and
// the KernelRuntime. The program's kernel role runs it, and so do tools and tests whose own
// executable plays the kernel role ("/CALLER:<name>/ID:<n>" as the only argument).
#include <QStringList>

namespace korvane {

// True when the arguments (without the program name) ask for the kernel role.
bool IsKernelCommandLine(const QStringList& arguments);
// Runs the kernel role until it closes; returns the exit code. Needs a QApplication.
// When the environment variable KORVANE_BOX_LOG names a file, message boxes are appended
// there as "caption|text" lines instead of being shown.
int RunStandaloneKernel(const QStringList& arguments);

} // namespace korvane
