// The viewer's start-up loads the texts: Korvane.ini of the start directory in the locale's
// section, the main window's menus and words from it, and the dialog family created over the
// main window; the About menu item shows its dialog while a close request would wait.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "app/app_shell.h"
#include "app/viewer.h"
#include "library/recording_library.h"
#include "ui/about_dialog.h"
#include "ui/close_dialog.h"
#include "ui/dialog_family.h"
#include "ui/main_window.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"

using namespace korvane;

TEST(ShellTexts, StartDirectorySettingsFileDrivesMenusAndDialogs)
{
    if (!qApp) {
        static int argc = 1;
        static char arg0[] = "test_app";
        static char* argv[] = {arg0, nullptr};
        new QApplication(argc, argv);
    }
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    const QByteArray lang = qgetenv("LANG"), all = qgetenv("LC_ALL"), messages = qgetenv("LC_MESSAGES");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("LANG", "de_DE.UTF-8");
    qputenv("XDG_CACHE_HOME", (dir.path() + QStringLiteral("/cache")).toUtf8());
    qputenv("KORVANE_CONTROL_BLOCK", QByteArray("KorvaneTextsTest") + QByteArray::number(QCoreApplication::applicationPid()));
    QDir(dir.path()).mkdir(QStringLiteral("card"));
    QFile ini(dir.path() + QStringLiteral("/card/Korvane.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[0x407]\nMenu.File.Caption=Datei(&D)\nMain.WordEvent.Caption=Ereignis\nDlg.Close.Information.Caption=Beenden?\n");
    ini.close();
    QDir::setCurrent(dir.path() + QStringLiteral("/card"));
    {
        TfrmMain window;
        AppShell shell{ProcessRole{}, window};
        shell.lockPath = (dir.path() + QStringLiteral("/korvane.lock")).toStdString();
        shell.StartViewer();
        EXPECT_EQ(shell.iniPath, QDir::current().filePath(QStringLiteral("Korvane.ini")));
        EXPECT_EQ(shell.languageSection, QStringLiteral("0x407"));
        EXPECT_EQ(window.miFile->title(), QStringLiteral("Datei(&D)"));
        EXPECT_EQ(window.miSetup->title(), QStringLiteral("Setup(&S)"));   // missing key: English
        auto* word = window.findChild<QLabel*>(QStringLiteral("plWordEvent"));
        ASSERT_NE(word, nullptr);
        EXPECT_EQ(word->text(), QStringLiteral("Ereignis"));
        ASSERT_NE(Dialogs().frmClose, nullptr);
        EXPECT_EQ(shell.frmClose(), Dialogs().frmClose);
        EXPECT_EQ(Dialogs().frmClose->lbInformation->text(), QStringLiteral("Beenden?"));
        EXPECT_EQ(Dialogs().frmAbout->parent(), &window);

        QDialog* shown = nullptr;
        bool busyWhileShown = false;
        SetDialogRunner([&](QDialog& d) {
            shown = &d;
            busyWhileShown = shell.Busy().DialogUp();
            return 1;
        });
        window.miAbout->trigger();
        SetDialogRunner(nullptr);
        EXPECT_EQ(shown, Dialogs().frmAbout);
        EXPECT_TRUE(busyWhileShown);
        EXPECT_FALSE(shell.Busy().DialogUp());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !shell.viewer()->Library().Pass().Running(); }, 5000));
        shell.FormDestroy();
    }
    QDir::setCurrent(previous);
    qputenv("LANG", lang);
    if (!all.isEmpty())
        qputenv("LC_ALL", all);
    if (!messages.isEmpty())
        qputenv("LC_MESSAGES", messages);
    SetTextCatalogue(QString(), 0x409);
}
