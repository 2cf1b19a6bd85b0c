#include "viewer_harness.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

#include "app/app_shell.h"
#include "app/viewer.h"
#include "player/playback_channel.h"
#include "library/recording_library.h"
#include "library/thumbnail_cell.h"
#include "platform/shared_memory.h"
#include "player/playback_controller.h"
#include "ui/main_window.h"
#include "ui/show_centered.h"

#include <unistd.h>

namespace korvane {

ViewerHarness::ViewerHarness(const QString& folder)
{
    qputenv("XDG_CACHE_HOME", (runtime_.path() + QStringLiteral("/cache")).toUtf8());
    // The viewer's state file (speed unit, event thresholds) is the test's own.
    qputenv("XDG_CONFIG_HOME", (runtime_.path() + QStringLiteral("/config")).toUtf8());
    // Qt's shader cache would be written there at exit, after the folder has gone.
    qputenv("QT_DISABLE_SHADER_DISK_CACHE", "1");
    // The maps never reach the internet from a test: offline unless the test names a server.
    if (!qEnvironmentVariableIsSet("KORVANE_CONNECTIVITY_URL"))
        qputenv("KORVANE_CONNECTIVITY_URL", "http://127.0.0.1:9/");
    qputenv("KORVANE_CONTROL_BLOCK", QByteArray("KorvanePlayerTest") + QByteArray::number(getpid()));
    SetKernelExecutable(QStringLiteral(KORVANE_BINARY));
    SetMessageSink(this);
    SetDialogRunner([](QDialog&) { return 1; });
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(folder);

    window_ = std::make_unique<TfrmMain>();
    shell_ = new AppShell(ProcessRole{}, *window_);
    shell_->lockPath = (runtime_.path() + QStringLiteral("/korvane.lock")).toStdString();
    shell_->FormCreate();   // the keyboard table, then the viewer
    window_->show();
    (void)QTest::qWaitForWindowExposed(window_.get());
}

ViewerHarness::~ViewerHarness()
{
    shell_->FormDestroy();
    window_.reset();
    // The viewer's control block of this process goes with it.
    platform::RemoveSharedMemory(qEnvironmentVariable("KORVANE_CONTROL_BLOCK").toStdString());
    SetDialogRunner(nullptr);
    SetMessageSink(nullptr);
    QDir::setCurrent(previousDir_);
}

int ViewerHarness::Show(const QString&, const QString& text, BoxIcon, BoxButtons)
{
    messages << text;
    return kResultOk;
}

Viewer& ViewerHarness::viewer() { return *shell_->viewer(); }
PlaybackController& ViewerHarness::player() { return shell_->viewer()->Player(); }

ThumbnailCell* ViewerHarness::NormalCell(int index) const
{
    return shell_->viewer()->Library().Grid(1).Cell(index);
}

bool ViewerHarness::WaitForThumbnails(int timeoutMs)
{
    // The pass has ended and its idle timer has fired.
    return QTest::qWaitFor([this] {
        return !shell_->viewer()->Library().Pass().Running() && !shell_->Busy().Settling(BusyReason::LoadingFolder) &&
               shell_->Busy().IsIdle() && NormalCell(0) && !NormalCell(0)->IsEmpty();
    }, timeoutMs);
}

void ViewerHarness::DoubleClick(ThumbnailCell* cell)
{
    const QPoint centre = cell->Image()->rect().center();
    QTest::mouseDClick(cell->Image(), Qt::LeftButton, Qt::NoModifier, centre);
}

bool IsRed(ThumbnailCell* cell) { return cell->CaptionColor() == QColor(Qt::red); }

double VideoAreaBrightness(TfrmMain& window)
{
    QWidget* area = window.plVCRBackGround;
    const QPoint topLeft = area->mapToGlobal(QPoint(0, 0));
    QImage shot = QGuiApplication::primaryScreen()
                      ->grabWindow(0, topLeft.x(), topLeft.y(), area->width(), area->height())
                      .toImage()
                      .scaled(64, 36);
    double sum = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            sum += qGray(shot.pixel(x, y));
    return sum / (shot.width() * shot.height());
}

} // namespace korvane
