#include "test_support.h"

#include "kernel/control_block.h"
#include "platform/shared_memory.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <cstdlib>
#include <unistd.h>

namespace korvane::test {

QString SampleRecording()
{
    QDir dir(QStringLiteral(KORVANE_SAMPLES_DIR));
    // A Normal recording: 14-digit stamp, no prefix.
    for (const QString& name : dir.entryList({QStringLiteral("*.MP4"), QStringLiteral("*.mp4")},
                                             QDir::Files, QDir::Name))
        if (name.at(0).isDigit())
            return dir.filePath(name);
    return Fixture("h264_aac");
}

QString Fixture(const char* name)
{
    return QStringLiteral(KORVANE_KERNEL_FIXTURES "/%1.mp4").arg(QLatin1String(name));
}

int64_t ProbeDuration100ns(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"),
                                        QStringLiteral("-show_entries"), QStringLiteral("format=duration"),
                                        QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    if (!p.waitForFinished(10000))
        return 0;
    return static_cast<int64_t>(p.readAllStandardOutput().trimmed().toDouble() * 1e7 + 0.5);
}

PrivateControlBlock::PrivateControlBlock()
    : name_(QStringLiteral("KorvaneTest%1").arg(getpid()))
{
    platform::RemoveSharedMemory(name_.toStdString());
    setenv("KORVANE_CONTROL_BLOCK", name_.toLocal8Bit().constData(), 1);
}

PrivateControlBlock::~PrivateControlBlock()
{
    CloseControlBlock();
    platform::RemoveSharedMemory(name_.toStdString());
    unsetenv("KORVANE_CONTROL_BLOCK");
}

bool RequestAndWait(KernelClient& client, RequestedState target, int* writes)
{
    if (!client.link)
        return false;
    bool ended = false;
    bool confirmed = false;
    client.link->RequestState(target, [&](bool ok) {
        ended = true;
        confirmed = ok;
    });
    // Far more than the 22 writes 59 ms apart a request may take.
    QEventLoop loop;
    while (!ended && client.link->StatePending())
        loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (writes)
        *writes = client.link->Writes();
    return ended && confirmed;
}

bool SeekAndWait(KernelClient& client, int64_t position100ns)
{
    if (!client.link || !client.slot)
        return false;
    client.link->RequestSeek(position100ns);
    QEventLoop loop;
    while (client.link->SeekPending())
        loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
    return client.link->SeekHeld();
}

QByteArray WaitForBoxLine(const QString& path, int timeoutMs)
{
    QByteArray text;
    WaitFor([&] {
        QFile f(path);
        text = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        return text.endsWith('\n');
    }, timeoutMs);
    return text.endsWith('\n') ? text : QByteArray();
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(10);
    }
    return true;
}

VideoWindow::VideoWindow(int width, int height)
    : window_(new QWidget), panel_(new QWidget(window_))
{
    window_->setWindowTitle(QStringLiteral("kernel test"));
    window_->resize(width, height);
    window_->move(20, 20);
    panel_->setGeometry(0, 0, width, height);
    panel_->setAttribute(Qt::WA_NativeWindow);
    panel_->setAttribute(Qt::WA_OpaquePaintEvent);
    panel_->setAttribute(Qt::WA_NoSystemBackground);
    panel_->setUpdatesEnabled(false);
    window_->show();
    window_->raise();
    WaitFor([this] { return window_->isVisible(); }, 2000);
    QCoreApplication::processEvents();
}

VideoWindow::~VideoWindow()
{
    delete window_;
}

uint32_t VideoWindow::panelId() const
{
    return static_cast<uint32_t>(panel_->winId());
}

double NonBlackFraction(unsigned long window)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 0.0;
    const QImage image = screen->grabWindow(window).toImage();
    if (image.isNull())
        return 0.0;
    qint64 bright = 0;
    qint64 total = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4) {
            const QRgb c = image.pixel(x, y);
            bright += (qRed(c) + qGreen(c) + qBlue(c) > 60) ? 1 : 0;
            ++total;
        }
    return total ? double(bright) / double(total) : 0.0;
}

} // namespace korvane::test
