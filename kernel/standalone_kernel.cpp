#include "kernel/standalone_kernel.h"

#include "kernel/kernel_runtime.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace korvane {
namespace {
class FileBoxLog : public MessageSink {
public:
    explicit FileBoxLog(QString path) : path_(std::move(path)) {}
    int Show(const QString& caption, const QString& text, BoxIcon, BoxButtons) override
    {
        QFile f(path_);
        if (f.open(QIODevice::Append | QIODevice::Text))
            f.write((caption + QLatin1Char('|') + text + QLatin1Char('\n')).toUtf8());
        return kResultOk;
    }

private:
    QString path_;
};
} // namespace

bool IsKernelCommandLine(const QStringList& arguments)
{
    return !arguments.isEmpty() && arguments.first().startsWith(QLatin1String("/CALLER:"));
}

int RunStandaloneKernel(const QStringList& arguments)
{
    static FileBoxLog* log = nullptr;
    if (const char* path = std::getenv("KORVANE_BOX_LOG"); path && *path) {
        log = new FileBoxLog(QString::fromLocal8Bit(path));
        SetMessageSink(log);
    }
    QWidget window;
    window.move(-1000, -1000);
    QTimer tmClose;
    tmClose.setInterval(500);
    tmClose.setSingleShot(true);
    QTimer tmHide;
    tmHide.setInterval(1);
    tmHide.setSingleShot(true);
    QObject::connect(&tmHide, &QTimer::timeout, &window, &QWidget::hide);
    QObject::connect(&tmClose, &QTimer::timeout, &window, &QWidget::close);
    auto* runtime = new KernelRuntime(&window, &tmClose, &tmHide);
    runtime->StartKernel(arguments.join(QLatin1Char(' ')));
    const int code = QApplication::exec();
    delete runtime;
    return code;
}

} // namespace korvane
