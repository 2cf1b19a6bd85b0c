#include "app/app_shell.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>

#include "app/data_management_hookup.h"
#include "app/export_hookup.h"
#include "app/folder_handover.h"
#include "app/keyboard_hook.h"
#include "app/termination_signals.h"
#include "app/transport_hookup.h"
#include "app/viewer.h"
#include "player/playback_controller.h"
#include "player/recording_opener.h"
#include "kernel/control_block.h"
#include "platform/language_id.h"
#include "platform/message_box.h"
#include "library/library_texts.h"
#include "map/map_texts.h"
#include "ui/about_dialog.h"
#include "ui/close_dialog.h"
#include "ui/dialog_family.h"
#include "ui/dummy_dialog.h"
#include "ui/main_texts.h"
#include "ui/apply_layout.h"
#include "ui/device_pixels.h"
#include "ui/layout_applier.h"
#include "ui/skin.h"
#include "ui/skin_applier.h"
#include "ui/main_window.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"

Q_LOGGING_CATEGORY(lcShell, "korvane.app.shell")

namespace korvane {
namespace {
QTimer* MakeTimer(QObject* parent, int interval)
{
    auto* timer = new QTimer(parent);
    timer->setInterval(interval);
    timer->setSingleShot(true);   // every handler stops its own timer on entry
    return timer;
}
} // namespace

int PrimaryScreenPercent()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 100;
    return PercentFromScreen(screen->devicePixelRatio(), screen->logicalDotsPerInchY());
}

AppShell::AppShell(const ProcessRole& role, TfrmMain& window)
    : QObject(&window), lockPath(InstanceLock::DefaultPath(ControlBlockName().toStdString())), role_(role), window_(window)
{
    scale = MakeDisplayScale(PrimaryScreenPercent());
    tmQuit = MakeTimer(this, 1000);
    tmClose = MakeTimer(this, 500);
    tmHide = MakeTimer(this, 1);
    tmCleanData = MakeTimer(this, 100);
    connect(tmQuit, &QTimer::timeout, this, &AppShell::tmQuitTimer);
    connect(tmClose, &QTimer::timeout, this, &AppShell::tmCloseTimer);
    connect(tmHide, &QTimer::timeout, &window_, &QWidget::hide);
    connect(tmCleanData, &QTimer::timeout, this, &AppShell::tmCleanDataTimer);

    if (role_.isKernelRole) {
        // A kernel's window lives off screen and is hidden at once.
        window_.move(-1000, -1000);
    }
    window_.installEventFilter(this);
}

bool AppShell::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_ || event->type() != QEvent::Close)
        return QObject::eventFilter(watched, event);
    if (FormClose())
        return false;   // the window takes the close and the process ends
    event->ignore();
    return true;
}

AppShell::~AppShell() = default;

void AppShell::FormCreate()
{
    // The kernel role never gets here: main runs it without the viewer's window and shell.
    if (role_.isKernelRole)
        return;
    InstallKeyboardHook();
    StartViewer();
}

void AppShell::InstallKeyboardHook()
{
    keyboardHook_ = new KeyboardHook(*this, this);
    qApp->installEventFilter(keyboardHook_);
}

void AppShell::FocusDummy() { window_.mmDummy->setFocus(Qt::OtherFocusReason); }
void AppShell::FocusMain() { window_.setFocus(Qt::OtherFocusReason); }
void AppShell::StartCleanData(QObject* receiver)
{
    if (CleanKeyApplies(window_, window_.mmDummy, receiver))
        tmCleanData->start();
    else
        qCInfo(lcShell) << "Ctrl+C outside the main window's own keys: no clean";
}
void AppShell::RouteContinue() { window_.miRouteContinue->trigger(); }
bool AppShell::DummyShowing() const { return Dialogs().frmDummy && Dialogs().frmDummy->dummyShowing; }

bool AppShell::Transport(HookAction action, QObject* receiver)
{
    // Null in a second viewer; no key acts on the player while the invisible dialog is up.
    if (!transport_ || DummyShowing())
        return false;
    if (action == HookAction::MarkIn || action == HookAction::MarkOut)
        return export_ && MainWindowHasKeys(window_, receiver) && export_->Mark(action == HookAction::MarkIn);
    return transport_->Run(action, receiver);
}

void AppShell::StartViewer()
{
    // Single-instance rule: a second viewer stays off screen and closes after a second,
    // touching nothing.
    if (!instanceLock_.Acquire(lockPath)) {
        window_.move(-1000, -1000);
        // "korvane FOLDER": the running viewer opens the folder; this one ends at once.
        const QString socketPath = QString::fromStdString(InstanceLock::SocketPath(lockPath));
        if (!role_.startFolder.isEmpty() && HandFolderTo(socketPath, role_.startFolder)) {
            handedOver_ = true;
            QTimer::singleShot(0, this, &AppShell::tmQuitTimer);
            return;
        }
        tmQuit->start();
        return;
    }
    quitNow_ = false;
    folderListener_ = new FolderListener(this);
    folderListener_->Listen(QString::fromStdString(InstanceLock::SocketPath(lockPath)));
    connect(folderListener_, &FolderListener::folderHanded, this, &AppShell::OpenHandedFolder);
    tmHandedFolder_ = new QTimer(this);
    tmHandedFolder_->setSingleShot(true);
    tmHandedFolder_->setInterval(250);
    connect(tmHandedFolder_, &QTimer::timeout, this, [this] { OpenHandedFolder(handedFolder_); });
    window_.captionOnPaint = true;
    window_.setWindowTitle(QStringLiteral("Korvane"));

    viewer_ = new Viewer(window_, busy_, LogicalScale(scale.displayScale, window_.devicePixelRatioF()), scale.scalePercent);
    transport_ = new TransportHookup(*viewer_, window_, this);
    viewer_->OpenSlots();
    connect(this, &AppShell::aboutToAskToQuit, viewer_, &Viewer::PauseIfPlaying);
    connect(this, &AppShell::quitConfirmed, viewer_, &Viewer::CloseChannels);

    quitConfirmed_ = false;
    window_.miContinue->setChecked(true);
    window_.miRouteContinue->setChecked(false);

    // The start directory is kept whole: a cut path would name another folder.
    programFolder = QDir::currentPath();

    // Texts: Korvane.ini of the start directory, else the shipped one, else Japanese built-ins.
    InitTextCatalogue(programFolder);
    iniPath = Catalogue().iniPath;
    languageSection = Catalogue().languageSection;
    LoadMainTexts(window_);
    SetLibraryTextSource([](const QString& key) { return CatalogueText(key); });
    SetMapTextSource([](const QString& key) { return CatalogueText(key); });

    viewer_->SetUpChannels(programFolder);

    frmClose_ = CreateDialogs(&window_).frmClose;
    connect(window_.miAbout, &QAction::triggered, this, [this] {
        // The key area toggles the diagnostics panel, once the telemetry read-outs provide it.
        Dialogs().frmAbout->plSpecial = window_.findChild<QWidget*>(QStringLiteral("plSpecial"));
        busy_.Set(BusyReason::AboutDialog);
        ShowCentered(*Dialogs().frmAbout, &window_);
        busy_.Clear(BusyReason::AboutDialog);
    });
    frmClose_->SetBusyState(&busy_);
    dataManagement_ = new DataManagementHookup(window_, *viewer_, busy_, this);
    connect(this, &AppShell::cleanDataRequested, &dataManagement_->Commands(), &DataManagement::CleanFromKeyboard);
    // The export runs on the backup and clean worker thread, one job at a time.
    export_ = new ExportHookup(*viewer_, window_, dataManagement_->Commands().Worker(), busy_, this);

    ApplySkin();
    SizeAndCentre();
    window_.miClean->setEnabled(false);
    window_.miBackup->setEnabled(false);
    connect(window_.miClose, &QAction::triggered, &window_, &QWidget::close);
    connect(&window_, &TfrmMain::resized, this, &AppShell::FormResize);
    LayOut();
    viewer_->RedrawChart();
    // A folder named on the command line is opened instead of the start directory; an
    // argument that cannot be taken is explained once the window is up.
    viewer_->OpenStartFolder(programFolder, role_.startFolder);
    window_.resizeEnabled = true;
    if (!role_.argumentMessage.isEmpty()) {
        QTimer::singleShot(0, this, [this] {
            ShowMessageBox(QStringLiteral("Korvane"), role_.argumentMessage, BoxIcon::Warning);
        });
    }
}

void AppShell::OpenHandedFolder(const QString& folder)
{
    if (!viewer_ || folder.isEmpty())
        return;
    if (window_.isMinimized())
        window_.showNormal();
    window_.raise();
    window_.activateWindow();
    // A dialog, a job or a recording being opened keeps the viewer busy: the folder waits.
    if (!busy_.IsIdle()) {
        handedFolder_ = folder;
        tmHandedFolder_->start();
        return;
    }
    handedFolder_.clear();
    const QFileInfo info(folder);
    if (!info.isAbsolute() || !info.isDir() || !info.isReadable()) {
        qCWarning(lcShell) << "the handed folder cannot be opened:" << folder;
        return;
    }
    qCInfo(lcShell) << "opening the handed folder" << folder;
    viewer_->Player().Stop();
    viewer_->Player().Opener().OpenChosenFolder(info.absoluteFilePath());
}

void AppShell::SizeAndCentre()
{
    // The design's size is in device pixels; Qt sizes windows in logical ones.
    const double ratio = window_.devicePixelRatioF();
    const QSize size = ToLogical(StartupWindowSize(scale.displayScale), ratio);
    window_.setMinimumSize(size);
    window_.resize(size);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window_.move(screen->geometry().topLeft() + CentredOnScreen(screen->geometry().size(), size));
}

void AppShell::ApplySkin()
{
    ApplyColours(window_);
    ApplyFonts(window_);
}

void AppShell::LayOut()
{
    QWidget& central = *window_.centralWidget();
    const double ratio = window_.devicePixelRatioF();
    const qint64 duration = viewer_ ? viewer_->LoadedDuration() : 0;
    const LayoutResult layout =
        korvane::ApplyLayout(MeasureLayoutInput(window_, central, scale.scalePercent, duration, ratio));
    ApplyPlacements(central, layout, ratio);
    if (viewer_)
        viewer_->Layout(layout, ratio);
    ApplyRoundedRegions(central, layout, ratio);
}

void AppShell::FormResize()
{
    LayOut();
    if (viewer_)
        viewer_->RedrawChart();
}

bool AppShell::FormClose()
{
    if (role_.isKernelRole)
        return true;
    busy_.Set(BusyReason::CloseRequest);
    bool grant = false;
    if (quitNow_) {
        grant = true;
    } else if (!busy_.IsIdle()) {
        // Busy: refuse silently and ask again in 500 ms, until the viewer is idle.
        tmClose->start();
    } else {
        emit aboutToAskToQuit();
        if (ShowCentered(*frmClose_, &window_) == 1) {
            ConfirmQuit();
            grant = true;
        }
    }
    busy_.Clear(BusyReason::CloseRequest);
    return grant;
}

void AppShell::ConfirmQuit()
{
    quitConfirmed_ = true;
    emit quitConfirmed();
}

void AppShell::FormDestroy()
{
    if (role_.isKernelRole || quitNow_)
        return;
    // No copy is left half-written: a job still running is stopped and waited for.
    if (export_)
        export_->Command().RequestStop();
    if (dataManagement_)
        dataManagement_->Shutdown();
    if (viewer_)
        viewer_->Shutdown();
    CloseControlBlock();
    // The block is the viewer's: it goes with it, so no later kernel finds a stale one.
    UnlinkViewerControlBlock();
    if (keyboardHook_)
        qApp->removeEventFilter(keyboardHook_);
    delete folderListener_;   // closes and removes the socket
    folderListener_ = nullptr;
    instanceLock_.Release();
}

void AppShell::tmQuitTimer()
{
    quitNow_ = true;
    window_.close();
}

void AppShell::tmCloseTimer() { window_.close(); }

void AppShell::tmCleanDataTimer()
{
    if (busy_.DialogUp())
        return;
    emit cleanDataRequested();
}

} // namespace korvane
