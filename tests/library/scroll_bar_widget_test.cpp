// The skinned bar on real panels: geometry follows the record, presses reach the owner.
#include "library/skin_scroll_bar_widget.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using namespace korvane;

TEST(SkinScrollBarWidget, VerticalBarReportsThumbAndTrackPresses)
{
    SkinScrollBarWidget bar(true, false);
    bar.resize(18, 205);
    bar.show();
    bar.Init();
    bar.SetRange(8);  // thumb 25 high
    ASSERT_EQ(bar.Thumb()->geometry(), QRect(0, 0, 17, 25));
    ASSERT_EQ(bar.Track()->geometry(), QRect(1, 0, 17, 205));
    EXPECT_FALSE(bar.Thumb()->mask().isEmpty());  // rounded thumb

    QSignalSpy thumbPressed(&bar, &SkinScrollBarWidget::thumbPressed);
    QSignalSpy thumbMoved(&bar, &SkinScrollBarWidget::thumbMoved);
    QSignalSpy trackPressed(&bar, &SkinScrollBarWidget::trackPressed);
    QSignalSpy trackReleased(&bar, &SkinScrollBarWidget::trackReleased);
    QTest::mousePress(bar.Thumb(), Qt::LeftButton, {}, QPoint(5, 7));
    QTest::mouseMove(bar.Thumb(), QPoint(5, 30));
    QTest::mouseRelease(bar.Thumb(), Qt::LeftButton, {}, QPoint(5, 30));
    ASSERT_EQ(thumbPressed.size(), 1);
    EXPECT_EQ(thumbPressed[0][0].toInt(), 7);
    QTest::mousePress(bar.Track(), Qt::LeftButton, {}, QPoint(4, 150));
    QTest::mouseRelease(bar.Track(), Qt::LeftButton, {}, QPoint(4, 150));
    ASSERT_EQ(trackPressed.size(), 1);
    EXPECT_EQ(trackPressed[0][0].toInt(), 150);  // container coordinates
    EXPECT_EQ(trackReleased.size(), 1);

    bar.SetPosition(8);
    EXPECT_EQ(bar.Thumb()->y(), 180);
    bar.resize(18, 305);  // a new layout keeps the position
    EXPECT_EQ(bar.Bar().position, 8);
    EXPECT_EQ(bar.Thumb()->y(), 305 - 25);
}

TEST(SkinScrollBarWidget, HorizontalSeekBarWithFill)
{
    SkinScrollBarWidget seek(false, true);
    seek.resize(300, 18);
    seek.Bar().track.setHeight(15);
    seek.Bar().thumb.setSize(QSize(20, 15));
    seek.Init();
    seek.Relayout();
    seek.Bar().maxValue = 1000;
    seek.SetPosition(500);
    EXPECT_EQ(seek.Track()->geometry(), QRect(10, 0, 280, 15));
    EXPECT_EQ(seek.Thumb()->geometry(), QRect(140, 0, 20, 15));
    EXPECT_EQ(seek.Fill()->geometry(), QRect(10, 0, 140, 15));
    seek.Bar().grabOffset = 10;
    seek.DragTo(10 + 130);
    EXPECT_EQ(seek.Bar().position, 1000);
    EXPECT_EQ(seek.Thumb()->x(), 270);
}
