#include "app/kernel_role.h"

#include "kernel/kernel_runtime.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace korvane {

int RunKernelRole(const ProcessRole& role)
{
    // A kernel needs a native window of its own (its id is published in the slot) but none of
    // the viewer's: it lives off screen, hidden, and draws into the viewer's panel.
    QWidget window;
    window.move(-1000, -1000);
    window.setAttribute(Qt::WA_NativeWindow);
    QTimer tmClose;
    tmClose.setInterval(500);
    tmClose.setSingleShot(true);
    QTimer tmHide;
    tmHide.setInterval(1);
    tmHide.setSingleShot(true);
    QObject::connect(&tmHide, &QTimer::timeout, &window, &QWidget::hide);
    KernelRuntime runtime(&window, &tmClose, &tmHide);
    runtime.StartKernel(role.commandLineText);
    return QApplication::exec();
}

} // namespace korvane
