// The korvane executable: the viewer, or with "/CALLER:<name>/ID:<n>" a playback kernel.
#include <QApplication>
#include <QTimer>

#include "app/app_shell.h"
#include "app/command_line.h"
#include "map/browser_setup.h"
#include "ui/main_window.h"

int main(int argc, char** argv)
{
    korvane::PrepareBrowserEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    korvane::ProcessRole role = korvane::MakeProcessRole(QApplication::arguments().mid(1));

    korvane::TfrmMain window;
    korvane::AppShell shell(role, window);
    shell.FormCreate();
    if (!role.isKernelRole && !shell.flags.quitNow && !shell.tmQuit->isActive())
        window.show();
    const int status = app.exec();
    shell.FormDestroy();
    return status;
}
