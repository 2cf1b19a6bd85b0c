#include "app/app_shell.h"

#include <QCoreApplication>
#include <QTimer>

#include "ui/main_window.h"

#if __has_include("kernel/kernel_runtime.h")
#include "kernel/kernel_runtime.h"
#define KORVANE_HAS_KERNEL 1
#endif

namespace korvane {

void AppShell::StartKernel()
{
#ifdef KORVANE_HAS_KERNEL
    auto* runtime = new KernelRuntime(&window_, tmClose, tmHide);
    kernelRuntime_ = runtime;
    runtime->StartKernel(role_.commandLineText);
#else
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
#endif
}

} // namespace korvane
