// The korvane executable: the viewer, or with "/CALLER:<name>/ID:<n>" a playback kernel.
#include <QApplication>
#include <QTimer>

#include <memory>
#include <string_view>

#include "app/app_shell.h"
#include "app/command_line.h"
#include "map/browser_setup.h"
#include "app/termination_signals.h"
#include "kernel/control_block.h"
#include "kernel/standalone_kernel.h"
#include "ui/main_window.h"

int main(int argc, char** argv)
{
    const bool kernelRole = argc > 1 && std::string_view(argv[1]).starts_with("/CALLER:");
    // A kernel shows no browser: it neither shares OpenGL contexts (a shared context loads the
    // whole OpenGL stack, a third of a kernel's start) nor touches the shader caches.
    if (!kernelRole) {
        korvane::PrepareBrowserEnvironment();
        korvane::TurnOffShaderCachesWhenTheCacheIsFull();
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    korvane::ProcessRole role = korvane::MakeProcessRole(QApplication::arguments().mid(1));
    // A kernel needs a native window of its own (its id goes into the slot) but none of the
    // viewer's parts: it is hidden at once and draws into the viewer's panel.
    if (role.isKernelRole)
        return korvane::RunStandaloneKernel(QApplication::arguments().mid(1));

    korvane::TfrmMain window;
    korvane::AppShell shell(role, window);
    shell.FormCreate();
    if (!role.isKernelRole && !shell.QuitNow() && !shell.tmQuit->isActive() && !shell.HandedOver())
        window.show();
    // SIGTERM and SIGINT close the viewer as a confirmed close does, without asking (a kernel
    // keeps the default: it simply ends).
    std::unique_ptr<korvane::TerminationSignals> terminationSignals;
    if (!role.isKernelRole)
        terminationSignals = std::make_unique<korvane::TerminationSignals>(
            [&shell] { korvane::QuitWithoutConfirmation([&shell] { shell.ConfirmQuit(); }); });
    const int status = app.exec();
    const bool ownsBlock = !role.isKernelRole && !shell.QuitNow();
    shell.FormDestroy();
    if (ownsBlock)
        korvane::UnlinkViewerControlBlock();
    return status;
}
