// The busy state: reasons set and cleared by their owners, the settling pause after a job, and
// the dialog reasons that do not make the viewer busy.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include "core/busy_state.h"

using namespace korvane;

namespace {
QCoreApplication& App()
{
    static int argc = 1;
    static char arg0[] = "core_tests";
    static char* argv[] = {arg0, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}
} // namespace

TEST(BusyState, TheViewerIsIdleOnlyWhenNoOwnerHoldsItsReason)
{
    App();
    BusyState busy;
    QSignalSpy changes(&busy, &BusyState::idleChanged);
    EXPECT_TRUE(busy.IsIdle());
    busy.Set(BusyReason::LoadingFolder);
    busy.Set(BusyReason::OpeningRecording);
    EXPECT_FALSE(busy.IsIdle());
    // The end of one owner's work leaves the other's in place.
    busy.Clear(BusyReason::LoadingFolder);
    EXPECT_FALSE(busy.IsIdle());
    EXPECT_TRUE(busy.Has(BusyReason::OpeningRecording));
    busy.Clear(BusyReason::OpeningRecording);
    EXPECT_TRUE(busy.IsIdle());
    // A reason set twice is one reason; clearing one that is not set changes nothing.
    busy.Set(BusyReason::JobRunning);
    busy.Set(BusyReason::JobRunning);
    busy.Clear(BusyReason::Repairing);
    busy.Clear(BusyReason::JobRunning);
    ASSERT_EQ(changes.size(), 4);
    EXPECT_EQ(changes[0][0].toBool(), false);
    EXPECT_EQ(changes[1][0].toBool(), true);
    EXPECT_EQ(changes[2][0].toBool(), false);
    EXPECT_EQ(changes[3][0].toBool(), true);
}

TEST(BusyState, DialogReasonsDoNotMakeTheViewerBusy)
{
    App();
    BusyState busy;
    QSignalSpy changes(&busy, &BusyState::idleChanged);
    for (BusyReason r : {BusyReason::CloseRequest, BusyReason::AboutDialog, BusyReason::DataCommand}) {
        busy.Set(r);
        EXPECT_TRUE(busy.IsIdle());
        EXPECT_TRUE(busy.DialogUp());
    }
    // The close request's end leaves a command's dialogs deciding.
    busy.Clear(BusyReason::CloseRequest);
    busy.Clear(BusyReason::AboutDialog);
    EXPECT_TRUE(busy.DialogUp());
    busy.Clear(BusyReason::DataCommand);
    EXPECT_FALSE(busy.DialogUp());
    busy.Set(BusyReason::Repairing);
    EXPECT_FALSE(busy.DialogUp());
    EXPECT_TRUE(changes.size() == 1 && !changes[0][0].toBool());
}

TEST(BusyState, AReasonClearedAfterSettlingGoesHalfASecondLater)
{
    App();
    BusyState busy;
    QSignalSpy settling(&busy, &BusyState::settling);
    busy.Set(BusyReason::JobRunning);
    busy.ClearAfterSettling(BusyReason::JobRunning);
    ASSERT_EQ(settling.size(), 1);
    EXPECT_EQ(settling[0][0].value<BusyReason>(), BusyReason::JobRunning);
    EXPECT_TRUE(busy.Settling(BusyReason::JobRunning));
    QTest::qWait(300);
    EXPECT_FALSE(busy.IsIdle());
    QTRY_VERIFY_WITH_TIMEOUT(busy.IsIdle(), 1000);
    EXPECT_FALSE(busy.Settling(BusyReason::JobRunning));
}

TEST(BusyState, ASetBeforeTheSettlingEndsKeepsTheReason)
{
    App();
    BusyState busy;
    // A failed open settles; a new open starts meanwhile: the viewer stays busy for it.
    busy.Set(BusyReason::OpeningRecording);
    busy.ClearAfterSettling(BusyReason::OpeningRecording);
    busy.Set(BusyReason::OpeningRecording);
    EXPECT_FALSE(busy.Settling(BusyReason::OpeningRecording));
    QTest::qWait(BusyState::kSettleMs + 200);
    EXPECT_TRUE(busy.Has(BusyReason::OpeningRecording));
    // Another owner's settling does not touch it.
    busy.Set(BusyReason::LoadingFolder);
    busy.ClearAfterSettling(BusyReason::LoadingFolder);
    QTRY_VERIFY_WITH_TIMEOUT(!busy.Has(BusyReason::LoadingFolder), 1000);
    EXPECT_FALSE(busy.IsIdle());
}
