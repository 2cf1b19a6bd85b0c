#pragma once
// A real viewer in the test process: the main window, the shell and its subsystems, opened on
// a folder, with kernels of the real korvane executable drawing into it. Message boxes and
// dialogs are recorded instead of shown.
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "platform/message_box.h"

namespace korvane {

class AppShell;
class PlaybackController;
class TfrmMain;
class ThumbnailCell;
class Viewer;

class ViewerHarness : public MessageSink {
public:
    explicit ViewerHarness(const QString& folder);
    ~ViewerHarness() override;

    int Show(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) override;

    // Waits until the thumbnail pass has shown the first cell and the viewer is idle.
    bool WaitForThumbnails(int timeoutMs = 30000);
    ThumbnailCell* NormalCell(int index) const;
    void DoubleClick(ThumbnailCell* cell);

    TfrmMain& window() { return *window_; }
    AppShell& shell() { return *shell_; }
    Viewer& viewer();
    PlaybackController& player();

    QStringList messages;

private:
    QTemporaryDir runtime_;
    QString previousDir_;
    std::unique_ptr<TfrmMain> window_;
    AppShell* shell_ = nullptr;
};

// The cell's caption is red: the cell is the highlighted one.
bool IsRed(ThumbnailCell* cell);
// Mean brightness (grey, 0 to 255) of the video area as it shows on screen right now.
double VideoAreaBrightness(TfrmMain& window);

} // namespace korvane
