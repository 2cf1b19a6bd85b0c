#include "app/app_shell.h"

#include "kernel/kernel_runtime.h"
#include "ui/main_window.h"

namespace korvane {

void AppShell::StartKernel()
{
    auto* runtime = new KernelRuntime(&window_, tmClose, tmHide);
    kernelRuntime_ = runtime;
    runtime->StartKernel(role_.commandLineText);
}

} // namespace korvane
