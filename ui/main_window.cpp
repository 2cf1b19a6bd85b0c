#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>

#include "ui/main_texts.h"
#include "ui/native_overlay.h"
#include "ui/menu_shortcuts.h"

namespace korvane {
namespace {
const QColor kGrey(93, 93, 93);
const QColor kBlack(0, 0, 0);
} // namespace

VideoPanel::VideoPanel(QWidget* parent) : QFrame(parent)
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, kGrey);
    central->setPalette(pal);
    setCentralWidget(central);

    // The title strip: black, its caption in white at the left.
    auto* title = new QLabel(central);
    title->setObjectName(QStringLiteral("plTitle"));
    title->setAutoFillBackground(true);
    QPalette titlePal = title->palette();
    titlePal.setColor(QPalette::Window, kBlack);
    titlePal.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(titlePal);
    QFont titleFont(QStringLiteral("Arial"), 12);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    title->setIndent(12);
    plTitle = title;
    plVCRBackGround = MakePanel(central, "plVCRBackGround", kBlack);
    plVCR1 = new VideoPanel(plVCRBackGround);
    plVCR1->setObjectName(QStringLiteral("plVCR1"));
    plVCR2 = new VideoPanel(plVCRBackGround);
    plVCR2->setObjectName(QStringLiteral("plVCR2"));
    imgVCR1 = new QLabel(plVCR1);
    imgVCR1->setObjectName(QStringLiteral("imgVCR1"));
    imgVCR2 = new QLabel(plVCR2);
    imgVCR2->setObjectName(QStringLiteral("imgVCR2"));
    for (QLabel* image : {imgVCR1, imgVCR2}) {
        // A child window of the video panel covers the kernel's drawing while it is shown.
        image->setAttribute(Qt::WA_NativeWindow);
        KeepOverlaySurfaceWithWindow(image);
        image->setScaledContents(true);
        image->hide();
    }
    plVCR2->hide();
    plVCRControl = MakePanel(central, "plVCRControl", kGrey);
    plCurve = MakePanel(central, "plCurve", kGrey);
    plMapBackground = MakePanel(central, "plMapBackground", QColor(40, 40, 40));
    plFile = MakePanel(central, "plFile", kBlack);
    plInformation = MakePanel(central, "plInformation", kBlack);
    tbVCR = MakePanel(plInformation, "tbVCR", kBlack);

    mmDummy = new QPlainTextEdit(central);
    mmDummy->setObjectName(QStringLiteral("mmDummy"));
    mmDummy->setGeometry(-1000, 0, 20, 20);

    stSystem = new QStatusBar(this);
    stSystem->setObjectName(QStringLiteral("stSystem"));
    stSystem->setSizeGripEnabled(false);
    setStatusBar(stSystem);

    BuildMenus();
}

QFrame* TfrmMain::MakePanel(QWidget* parent, const char* name, const QColor& colour)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, colour);
    panel->setPalette(pal);
    return panel;
}

void TfrmMain::BuildMenus()
{
    // Texts come from the catalogue (LoadMainTexts).
    miFile = menuBar()->addMenu(QString());
    miOpen = miFile->addAction(QString());
    miOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    miClose = miFile->addAction(QString());
    miClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));

    miSetup = menuBar()->addMenu(QString());
    miContinue = miSetup->addAction(QString());
    miContinue->setCheckable(true);
    miContinue->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    miTime = miSetup->addAction(QString());
    miTime->setCheckable(true);
    miTime->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    miRouteContinue = miSetup->addAction(QString());
    miRouteContinue->setCheckable(true);
    miSpeedMph = miSetup->addAction(QString());
    miSpeedMph->setObjectName(QStringLiteral("miSpeedMph"));
    miSpeedMph->setCheckable(true);
    miOtherChannels = miSetup->addAction(QString());
    miOtherChannels->setObjectName(QStringLiteral("miOtherChannels"));
    miOtherChannels->setCheckable(true);
    miOtherChannels->setChecked(true);
    miClean = miSetup->addAction(QString());
    miBackup = miSetup->addAction(QString());
    miBackup->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    miSnapshot = miSetup->addAction(QString());
    // Shown beside the item only: the keyboard table handles S, so the shortcut never fires.
    miSnapshot->setShortcut(QKeySequence(Qt::Key_S));
    miSnapshot->setShortcutContext(Qt::WidgetShortcut);
    miSetup->addSeparator();
    // I and O, like S, are the keyboard table's; the shortcuts are only shown.
    miMarkIn = miSetup->addAction(QString());
    miMarkIn->setObjectName(QStringLiteral("miMarkIn"));
    miMarkIn->setShortcut(QKeySequence(Qt::Key_I));
    miMarkIn->setShortcutContext(Qt::WidgetShortcut);
    miMarkOut = miSetup->addAction(QString());
    miMarkOut->setObjectName(QStringLiteral("miMarkOut"));
    miMarkOut->setShortcut(QKeySequence(Qt::Key_O));
    miMarkOut->setShortcutContext(Qt::WidgetShortcut);
    miExport = miSetup->addAction(QString());
    miExport->setObjectName(QStringLiteral("miExport"));
    miExport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));

    miHelp = menuBar()->addMenu(QString());
    miAbout = miHelp->addAction(QString());
    miAbout->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    LoadMainTexts(*this);
    KeepMenuShortcuts(*this);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    // Hidden windows (a kernel, a second viewer) end the process too.
    QCoreApplication::quit();
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (resizeEnabled)
        emit resized();
}

void TfrmMain::paintEvent(QPaintEvent* event)
{
    if (captionOnPaint && windowTitle() != QLatin1String("Korvane"))
        setWindowTitle(QStringLiteral("Korvane"));
    QMainWindow::paintEvent(event);
}

} // namespace korvane
