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
            return !shell.viewer()->Library().Pass().Running() && !shell.tmProcessFinish->isActive();
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
    f.shell.flags.viewerIdle = false;
    int paused = 0, closed = 0;
    f.shell.pauseIfPlaying = [&] { ++paused; };
    f.shell.closeChannels = [&] { ++closed; };

    EXPECT_FALSE(f.window.close());
    EXPECT_TRUE(f.shell.tmClose->isActive());
    EXPECT_EQ(f.dialogs, 0);
    QTest::qWait(1200);   // two retries while still busy
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_EQ(f.dialogs, 0);

    f.shell.flags.viewerIdle = true;
    QTRY_COMPARE_WITH_TIMEOUT(f.dialogs, 1, 1000);
    EXPECT_FALSE(f.window.isVisible());
    EXPECT_TRUE(f.shell.flags.quitConfirmed);
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(f.shell.flags.closeBusy);
}

TEST(ShellClose, DeclinedConfirmationKeepsTheViewer)
{
    EnsureApp();
    ViewerFixture f;
    SetDialogRunner([&](QDialog&) { ++f.dialogs; return 2; });
    EXPECT_FALSE(f.window.close());
    EXPECT_EQ(f.dialogs, 1);
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_FALSE(f.shell.flags.quitConfirmed);
    EXPECT_FALSE(f.shell.tmClose->isActive());
}

TEST(CloseDialog, OkWhileBusyWaitsThenConfirmsByItself)
{
    EnsureApp();
    bool idle = false;
    TfrmClose dialog;
    dialog.isViewerIdle = [&] { return idle; };
    int result = -1;
    QObject::connect(&dialog, &QDialog::finished, [&](int r) { result = r; });
    dialog.open();
    dialog.btnOk->click();
    EXPECT_FALSE(dialog.btnCancel->isEnabled());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.tmDelay->isActive());
    QTest::qWait(1100);
    EXPECT_EQ(result, -1);
    idle = true;
    QTRY_COMPARE_WITH_TIMEOUT(result, 1, 1500);
}

TEST(ShellFlags, ProcessFinishSetsIdleAfterHalfASecond)
{
    EnsureApp();
    ViewerFixture f;
    f.shell.flags.viewerIdle = false;
    f.shell.tmProcessFinish->start();
    QTest::qWait(300);
    EXPECT_FALSE(f.shell.flags.viewerIdle);
    QTRY_VERIFY_WITH_TIMEOUT(f.shell.flags.viewerIdle, 1000);
}

TEST(ShellFlags, CleanDataRefusedWhileCloseBusy)
{
    EnsureApp();
    ViewerFixture f;
    int cleans = 0;
    f.shell.cleanData = [&] { ++cleans; };
    f.shell.flags.closeBusy = true;
    f.shell.tmCleanData->start();
    QTest::qWait(250);
    EXPECT_EQ(cleans, 0);
    f.shell.flags.closeBusy = false;
    f.shell.tmCleanData->start();
    QTRY_COMPARE_WITH_TIMEOUT(cleans, 1, 1000);
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

    f.shell.flags.viewerIdle = false;
    QTest::mouseClick(selectors->imgEventGray, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(library.Catalogue().currentGroup, 0);
    EXPECT_TRUE(selectors->imgNormalGray->isVisibleTo(selectors->btnNormal));
    EXPECT_FALSE(selectors->imgEventGray->isVisibleTo(selectors->btnEvent));

    // The word acts only while the viewer is idle.
    QTest::mouseClick(selectors->plWordNormal, Qt::LeftButton);
    EXPECT_EQ(library.Catalogue().currentGroup, 0);
    f.shell.flags.viewerIdle = true;
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
