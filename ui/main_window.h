#pragma once
// The main window: the panels the subsystems draw into and the menus. The application shell
// decides its close requests (through an event filter) and lays it out when it is resized.
// Both process roles build it; the kernel keeps it hidden.
#include <QFrame>
#include <QMainWindow>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStatusBar;

namespace korvane {

// A panel a kernel draws its video into. Qt never paints it, and its window has no background
// of its own: whatever was last on screen there (the previous recording's frozen last frame)
// stays until the kernel draws over it, so a channel switch never flashes black.
class VideoPanel : public QFrame {
    Q_OBJECT
public:
    explicit VideoPanel(QWidget* parent);
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent*) override {}
};

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);

    // Once start-up has set it, every resize is signalled.
    bool resizeEnabled = false;
    bool captionOnPaint = false;   // viewer role: the caption reads "Korvane" on every paint

    // Panels, named as the skin names them.
    QFrame* plTitle = nullptr;
    QFrame* plVCRBackGround = nullptr;
    VideoPanel* plVCR1 = nullptr;   // native child windows the kernels draw into
    VideoPanel* plVCR2 = nullptr;
    QLabel* imgVCR1 = nullptr;      // freeze-frame images: native windows filling the panels
    QLabel* imgVCR2 = nullptr;
    QFrame* plVCRControl = nullptr;
    QFrame* plCurve = nullptr;
    QFrame* plMapBackground = nullptr;
    QFrame* plFile = nullptr;
    QFrame* plInformation = nullptr;
    QFrame* tbVCR = nullptr;
    QPlainTextEdit* mmDummy = nullptr;  // invisible edit box that takes the keyboard focus
    QStatusBar* stSystem = nullptr;

    // Menus.
    QMenu* miFile = nullptr;
    QAction* miOpen = nullptr;
    QAction* miBackup = nullptr;
    QAction* miSnapshot = nullptr;   // key S (the keyboard table takes the key itself)
    QAction* miClean = nullptr;
    QAction* miClose = nullptr;
    QMenu* miSetup = nullptr;
    QAction* miContinue = nullptr;
    QAction* miTime = nullptr;
    QAction* miRouteContinue = nullptr;
    QAction* miSpeedMph = nullptr;
    QAction* miMarkIn = nullptr;    // Setup > Mark In (I)
    QAction* miMarkOut = nullptr;   // Setup > Mark Out (O)
    QAction* miExport = nullptr;    // Setup > Export…
    QAction* miOtherChannels = nullptr;   // the insets of a moment's other channels
    QMenu* miHelp = nullptr;
    QAction* miAbout = nullptr;

signals:
    void resized();

protected:
    // A close that reaches the window is granted: the process ends with it.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QFrame* MakePanel(QWidget* parent, const char* name, const QColor& colour);
    void BuildMenus();
};

} // namespace korvane
