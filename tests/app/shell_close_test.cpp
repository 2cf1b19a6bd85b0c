#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/app_shell.h"
#include "app/viewer.h"
#include "library/group_selector.h"
#include "library/recording_library.h"
#include "platform/message_box.h"
#include "ui/close_dialog.h"
#include "ui/text_catalogue.h"
#include "ui/main_window.h"
#include "ui/show_centered.h"

using namespace korvane;

namespace {
int argc = 1;
char arg0[] = "test_app";
char* argv[] = {arg0, nullptr};
void EnsureApp()
{
    if (!qApp)
        new QApplication(argc, argv);
}

// A viewer started in an empty folder, once its (empty) thumbnail pass has ended.
struct ViewerFixture {
    QTemporaryDir dir;
    QString previousDir = QDir::currentPath();
    TfrmMain window;
    AppShell shell{ProcessRole{}, window};
    int dialogs = 0;
    ViewerFixture()
    {
        qputenv("XDG_CACHE_HOME", (dir.path() + QStringLiteral("/cache")).toUtf8());
        qputenv("KORVANE_CONTROL_BLOCK", QByteArray("KorvaneShellTest") + QByteArray::number(QCoreApplication::applicationPid()));
        QDir(dir.path()).mkdir(QStringLiteral("card"));
        QDir::setCurrent(dir.path() + QStringLiteral("/card"));
        shell.lockPath = (dir.path() + QStringLiteral("/korvane.lock")).toStdString();
        shell.StartViewer();
        window.show();
        SetDialogRunner([this](QDialog&) { ++dialogs; return 1; });
        EXPECT_TRUE(QTest::qWaitFor([this] {
            return !shell.viewer()->Library().Pass().Running() && shell.Busy().IsIdle() &&
                   !shell.Busy().Settling(BusyReason::LoadingFolder);
        }, 5000));
    }
    ~ViewerFixture()
    {
        SetDialogRunner(nullptr);
        shell.FormDestroy();
        QDir::setCurrent(previousDir);
    }
};
} // namespace

TEST(ShellClose, RequestWhileBusyIsRetriedUntilIdle)
{
    EnsureApp();
    ViewerFixture f;
    f.shell.Busy().Set(BusyReason::JobRunning);
    int paused = 0, closed = 0;
    QObject::connect(&f.shell, &AppShell::aboutToAskToQuit, [&] { ++paused; });
    QObject::connect(&f.shell, &AppShell::quitConfirmed, [&] { ++closed; });

    EXPECT_FALSE(f.window.close());
    EXPECT_TRUE(f.shell.tmClose->isActive());
    EXPECT_EQ(f.dialogs, 0);
    QTest::qWait(1200);   // two retries while still busy
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_EQ(f.dialogs, 0);

    f.shell.Busy().Clear(BusyReason::JobRunning);
    QTRY_COMPARE_WITH_TIMEOUT(f.dialogs, 1, 1000);
    EXPECT_FALSE(f.window.isVisible());
    EXPECT_TRUE(f.shell.QuitConfirmed());
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(f.shell.Busy().DialogUp());
}

TEST(ShellClose, DeclinedConfirmationKeepsTheViewer)
{
    EnsureApp();
    ViewerFixture f;
    SetDialogRunner([&](QDialog&) { ++f.dialogs; return 2; });
    EXPECT_FALSE(f.window.close());
    EXPECT_EQ(f.dialogs, 1);
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_FALSE(f.shell.QuitConfirmed());
    EXPECT_FALSE(f.shell.tmClose->isActive());
}

TEST(CloseDialog, OkWhileBusyWaitsThenConfirmsByItself)
{
    EnsureApp();
    BusyState busy;
    busy.Set(BusyReason::OpeningRecording);
    TfrmClose dialog;
    dialog.SetBusyState(&busy);
    int result = -1;
    QObject::connect(&dialog, &QDialog::finished, [&](int r) { result = r; });
    dialog.open();
    dialog.btnOk->click();
    EXPECT_FALSE(dialog.btnCancel->isEnabled());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.tmDelay->isActive());
    QTest::qWait(1100);
    EXPECT_EQ(result, -1);
    busy.Clear(BusyReason::OpeningRecording);
    QTRY_COMPARE_WITH_TIMEOUT(result, 1, 1500);
}

TEST(ShellBusy, CleanDataRefusedWhileADialogDecides)
{
    EnsureApp();
    ViewerFixture f;
    int cleans = 0;
    // Only the shell's part: the clean command itself is not started.
    QObject::disconnect(&f.shell, &AppShell::cleanDataRequested, nullptr, nullptr);
    QObject::connect(&f.shell, &AppShell::cleanDataRequested, [&] { ++cleans; });
    f.shell.Busy().Set(BusyReason::CloseRequest);
    f.shell.tmCleanData->start();
    QTest::qWait(250);
    EXPECT_EQ(cleans, 0);
    f.shell.Busy().Clear(BusyReason::CloseRequest);
    f.shell.tmCleanData->start();
    QTRY_COMPARE_WITH_TIMEOUT(cleans, 1, 1000);
}

TEST(ShellBusy, TheEndOfAThumbnailPassLeavesARecordingBeingOpenedBusy)
{
    EnsureApp();
    ViewerFixture f;
    // A recording is being opened while the folder is read again; the pass ends first.
    f.shell.Busy().Set(BusyReason::OpeningRecording);
    RecordingLibrary& library = f.shell.viewer()->Library();
    library.OpenRecordingFolder(library.Catalogue().recordingFolder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !library.Pass().Running(); }, 5000));
    QTest::qWait(BusyState::kSettleMs + 300);
    // A second double click or a close request still waits for the recording.
    EXPECT_FALSE(f.shell.Busy().IsIdle());
    EXPECT_FALSE(f.window.close());
    EXPECT_EQ(f.dialogs, 0);
    f.shell.Busy().Clear(BusyReason::OpeningRecording);
    QTRY_COMPARE_WITH_TIMEOUT(f.dialogs, 1, 1500);
}

TEST(GroupSelectors, GreyPicturesSwitchAtAnyTimeWordsOnlyWhenIdle)
{
    EnsureApp();
    ViewerFixture f;
    RecordingLibrary& library = f.shell.viewer()->Library();
    GroupSelectors* selectors = f.window.plInformation->findChild<GroupSelectors*>();
    ASSERT_NE(selectors, nullptr);
    ASSERT_EQ(library.Catalogue().currentGroup, 1);
    EXPECT_FALSE(selectors->imgNormalGray->isVisibleTo(selectors->btnNormal));
    EXPECT_TRUE(selectors->imgEventGray->isVisibleTo(selectors->btnEvent));

    f.shell.Busy().Set(BusyReason::OpeningRecording);
    QTest::mouseClick(selectors->imgEventGray, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(library.Catalogue().currentGroup, 0);
    EXPECT_TRUE(selectors->imgNormalGray->isVisibleTo(selectors->btnNormal));
    EXPECT_FALSE(selectors->imgEventGray->isVisibleTo(selectors->btnEvent));

    // The word acts only while the viewer is idle.
    QTest::mouseClick(selectors->plWordNormal, Qt::LeftButton);
    EXPECT_EQ(library.Catalogue().currentGroup, 0);
    f.shell.Busy().Clear(BusyReason::OpeningRecording);
    QTest::mouseClick(selectors->plWordNormal, Qt::LeftButton);
    EXPECT_EQ(library.Catalogue().currentGroup, 1);
}

TEST(ShellStart, ALongStartDirectoryIsKeptWholeAndItsSettingsPathCountsAsAbsent)
{
    EnsureApp();
    QTemporaryDir dir;
    QString deep = dir.path();
    while (deep.size() < 560)
        deep += QStringLiteral("/") + QString(60, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    QFile ini(deep + QStringLiteral("/Korvane.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.close();
    const QString previous = QDir::currentPath();
    qputenv("XDG_CACHE_HOME", (dir.path() + QStringLiteral("/cache")).toUtf8());
    QDir::setCurrent(deep);
    {
        TfrmMain window;
        AppShell shell{ProcessRole{}, window};
        shell.lockPath = (dir.path() + QStringLiteral("/korvane.lock")).toStdString();
        shell.StartViewer();
        EXPECT_EQ(shell.programFolder, QDir::currentPath());
        EXPECT_GT(shell.programFolder.size(), 519);
        // The start directory's file cannot be held: the shipped one is used instead.
        EXPECT_EQ(shell.iniPath, ShippedSettingsFile());
        shell.FormDestroy();
    }
    QDir::setCurrent(previous);
}

TEST(ShellStart, WithoutAWorkingFolderTheViewerSaysSoOnceAndStillStarts)
{
    EnsureApp();
    struct Sink : MessageSink {
        QStringList texts, captions;
        int Show(const QString& caption, const QString& text, BoxIcon, BoxButtons) override
        {
            captions << caption;
            texts << text;
            return kResultOk;
        }
    } sink;
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("card"));
    const QString previous = QDir::currentPath();
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTmp = qgetenv("TMPDIR");
    // Neither the cache home, nor the runtime folder, nor the temporary folder can hold one.
    qputenv("XDG_CACHE_HOME", "/proc/korvane-none");
    qputenv("XDG_RUNTIME_DIR", "/proc/korvane-none");
    qputenv("TMPDIR", "/proc/korvane-none");
    qputenv("KORVANE_CONTROL_BLOCK", QByteArray("KorvaneShellTest") + QByteArray::number(QCoreApplication::applicationPid()));
    QDir::setCurrent(dir.path() + QStringLiteral("/card"));
    SetMessageSink(&sink);
    {
        TfrmMain window;
        AppShell shell{ProcessRole{}, window};
        shell.lockPath = (dir.path() + QStringLiteral("/korvane.lock")).toStdString();
        shell.StartViewer();
        EXPECT_TRUE(shell.viewer()->Library().Catalogue().workingFolder.isEmpty());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !shell.viewer()->Library().Pass().Running(); }, 5000));
        shell.FormDestroy();
    }
    SetMessageSink(nullptr);
    QDir::setCurrent(previous);
    for (const auto& [name, value] : {std::pair{"XDG_RUNTIME_DIR", oldRuntime}, std::pair{"TMPDIR", oldTmp}}) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    EXPECT_EQ(sink.texts, QStringList{QStringLiteral("サムネイルを作成できません!")});
    EXPECT_EQ(sink.captions, QStringList{QStringLiteral("Korvane")});
}
