// What the dialogs do while shown: the progress dialog's poll and stop, the quit confirmation
// waiting for an idle viewer, the self-closing dialog, the About dialog's hidden switch and the
// message helpers' modal results. Real modal loops, ended by the dialogs' own timers or by
// button clicks queued from inside them.
#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/about_dialog.h"
#include "ui/check_dialogs.h"
#include "ui/close_dialog.h"
#include "ui/dialog_family.h"
#include "ui/dummy_dialog.h"
#include "ui/information_dialogs.h"
#include "ui/main_window.h"
#include "ui/menu_shortcuts.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"
#include "core/busy_state.h"

namespace korvane {
namespace {

struct FakeJob : ProcessJob {
    int done = 0, total = 0;
    bool ended = false;
    int stops = 0;
    int JobDone() const override { return done; }
    int JobTotal() const override { return total; }
    bool Ended() const override { return ended; }
    void RequestStop() override { ++stops; }
};

TEST(ProgressDialog, FillArithmetic)
{
    EXPECT_EQ(ProgressFillWidth(0, 0, 210), 0);
    EXPECT_EQ(ProgressFillWidth(1, 3, 210), 70);
    EXPECT_EQ(ProgressFillWidth(2, 3, 210), 140);
    EXPECT_EQ(ProgressFillWidth(1, 7, 210), 30);
    EXPECT_EQ(ProgressFillWidth(5, 11, 210), 95);   // 95.45 truncated
    EXPECT_EQ(ProgressFillWidth(7, 7, 210), 210);
}

TEST(ProgressDialog, PollShowsCountsAndClosesWithOkWhenTheJobHasEnded)
{
    SetTextCatalogue(QString(), 0x411);
    TfrmProcess dialog;
    FakeJob job;
    job.total = 3;
    job.done = 1;
    dialog.SetJob(&job);
    dialog.Prepare(InfoMessage(Info::SavingFile), true, true);
    EXPECT_TRUE(dialog.tmProcess->isActive());
    dialog.tmProcessTimer();
    EXPECT_EQ(dialog.lbCopy->text(), QStringLiteral("1/3"));
    EXPECT_EQ(dialog.plFont->width(), 70);
    EXPECT_TRUE(dialog.tmProcess->isActive());
    // The real modal loop: the job finishes, the next tick ends the dialog with OK.
    dialog.tmProcess->setInterval(20);
    QTimer::singleShot(50, [&] {
        job.done = 3;
        job.ended = true;
    });
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_EQ(dialog.lbCopy->text(), QStringLiteral("3/3"));
    EXPECT_EQ(dialog.plFont->width(), 210);
    EXPECT_FALSE(dialog.tmProcess->isActive());
    EXPECT_EQ(job.stops, 0);
}

TEST(ProgressDialog, TheJobsEndClosesItAtOnceWithTheLastCounts)
{
    SetTextCatalogue(QString(), 0x411);
    TfrmProcess dialog;
    FakeJob job;
    job.total = 4;
    dialog.SetJob(&job);
    dialog.Prepare(InfoMessage(Info::SavingFile), true, true);
    // No poll comes while the test runs: only the job's end can close the dialog.
    dialog.tmProcess->setInterval(600000);
    dialog.tmProcess->start();
    QTimer::singleShot(50, [&] {
        job.done = 4;
        job.ended = true;
        dialog.JobEnded();
    });
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_EQ(dialog.lbCopy->text(), QStringLiteral("4/4"));
    EXPECT_EQ(dialog.plFont->width(), 210);
    EXPECT_FALSE(dialog.tmProcess->isActive());
    // An end reported while the dialog is not up does nothing.
    dialog.JobEnded();
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ProgressDialog, StopAndEscapeEndWithNoAndAskTheJobToStop)
{
    SetTextCatalogue(QString(), 0x411);
    TfrmProcess dialog;
    FakeJob job;
    dialog.SetJob(&job);
    dialog.Prepare(InfoMessage(Info::FileDeleting), false, false);
    EXPECT_TRUE(dialog.lbCopy->isHidden());
    EXPECT_EQ(dialog.lbFunction->text(), QStringLiteral("ファイル 削除中"));
    QTimer::singleShot(30, [&] { dialog.btnStop->click(); });
    EXPECT_EQ(dialog.exec(), mrNo);
    EXPECT_EQ(job.stops, 1);
    EXPECT_FALSE(dialog.tmProcess->isActive());
    QTimer::singleShot(30, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.exec(), mrNo);
    EXPECT_EQ(job.stops, 2);
}

TEST(ProgressDialog, EmptyJobReadsZeroOfZero)
{
    TfrmProcess dialog;
    FakeJob job;
    job.ended = true;
    dialog.SetJob(&job);
    dialog.Prepare(QStringLiteral("x"), true, true);
    dialog.tmProcess->setInterval(10);
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_EQ(dialog.lbCopy->text(), QStringLiteral("0/0"));
    EXPECT_EQ(dialog.plFont->width(), 0);
}

TEST(CloseDialog, OkWhileBusyGreysCancelAndConfirmsOnceIdle)
{
    TfrmClose dialog;
    BusyState busy;
    busy.Set(BusyReason::JobRunning);
    dialog.SetBusyState(&busy);
    dialog.tmDelay->setInterval(20);
    QTimer::singleShot(10, [&] {
        dialog.btnOk->click();
        EXPECT_FALSE(dialog.btnCancel->isEnabled());
        EXPECT_TRUE(dialog.isVisible());
    });
    QTimer::singleShot(120, [&] { busy.Clear(BusyReason::JobRunning); });
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_TRUE(dialog.btnCancel->isEnabled());   // ready for the next showing
    QTimer::singleShot(10, [&] { dialog.btnCancel->click(); });
    EXPECT_EQ(dialog.exec(), mrCancel);
    QTimer::singleShot(10, [&] { dialog.reject(); });   // the close box
    EXPECT_EQ(dialog.exec(), mrCancel);
}

TEST(DummyDialog, ClosesItselfWithOk)
{
    TfrmDummy dialog;
    bool seenShowing = false;
    QTimer::singleShot(0, [&] { seenShowing = dialog.dummyShowing; });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_TRUE(seenShowing);
    EXPECT_FALSE(dialog.dummyShowing);
}

TEST(AboutDialog, FourQuickClicksToggleTheDiagnosticsPanel)
{
    qint64 now = 0;
    TfrmAbout about(nullptr, [&] { return now; });
    QWidget panel;
    panel.hide();
    about.plSpecial = &panel;
    auto click = [&](qint64 at) {
        now = at;
        QTest::mouseClick(about.lbKey, Qt::LeftButton);
    };
    click(0), click(1000), click(2000);
    click(8000);   // a 6-second pause: the count went back to 0
    EXPECT_TRUE(panel.isHidden());
    click(9000), click(10000), click(11000);
    EXPECT_FALSE(panel.isHidden());
    EXPECT_EQ(about.clickCount(), 0);
    for (qint64 at : {12000, 13000, 14000, 15000})
        click(at);
    EXPECT_TRUE(panel.isHidden());
    EXPECT_TRUE(about.tmCounter->isActive());
    EXPECT_EQ(about.lbKey->geometry(), QRect(0, 8, 27, 26));
}

TEST(MessageHelpers, ResultsAndTexts)
{
    SetTextCatalogue(QString(), 0x411);
    TfrmMain main;
    const DialogFamily& f = CreateDialogs(&main);
    QPushButton* press = nullptr;
    SetDialogRunner([&](QDialog& d) {
        QTimer::singleShot(0, press, &QPushButton::click);
        return d.exec();
    });
    press = f.frmCheck->btnOk;
    EXPECT_TRUE(AskConfirmation(InfoMessage(Info::CheckDelete)));
    EXPECT_EQ(f.frmCheck->lbInformation->text(), InfoMessage(Info::CheckDelete));
    press = f.frmCheck->btnCancel;
    EXPECT_FALSE(AskConfirmation(QStringLiteral("?")));
    press = f.frmCheck1->btnOk;
    EXPECT_TRUE(AskConfirmation2(InfoMessage(Info::FolderAlreadyExists), InfoMessage(Info::CopyReplace)));
    EXPECT_EQ(f.frmCheck1->lbInformation2->text(), QStringLiteral("コピーして置き換えてもよろしいですか？"));
    press = f.frmCheck1->btnCancel;
    EXPECT_FALSE(AskConfirmation2(QStringLiteral("a"), QStringLiteral("b")));
    press = f.frmInformation1->btnOk;
    ShowInformation2(InfoMessage(Info::OverMaxFile), InfoMessage(Info::Over240MaxFile));
    EXPECT_EQ(f.frmInformation1->lbInformation1->text(), QStringLiteral("動画最大読み出し件数を超えてます。"));
    press = f.frmInformation->btnOk;
    ShowInformation(InfoMessage(Info::BackupCompleted));
    EXPECT_EQ(f.frmInformation->lbInformation->text(), QStringLiteral("バックアップが完了しました。"));
    SetDialogRunner(nullptr);
}

} // namespace
} // namespace korvane

namespace korvane {
namespace {

// The focus box of the main window leaves the menu items' keys to the menu items.
TEST(MenuShortcuts, ReachTheirMenuItemsPastTheFocusBox)
{
    SetTextCatalogue(QString(), 0x409);
    TfrmMain main;
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    main.mmDummy->setFocus();
    int about = 0, close = 0;
    QObject::connect(main.miAbout, &QAction::triggered, [&] { ++about; });
    QObject::connect(main.miClose, &QAction::triggered, [&] { ++close; });
    QTest::keyClick(main.mmDummy, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(main.mmDummy, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(about, 1);
    EXPECT_EQ(close, 1);
    EXPECT_TRUE(IsMenuShortcut(main, QKeyCombination(Qt::ControlModifier, Qt::Key_B).toCombined()));
    EXPECT_FALSE(IsMenuShortcut(main, QKeyCombination(Qt::ControlModifier, Qt::Key_V).toCombined()));
}

} // namespace
} // namespace korvane
