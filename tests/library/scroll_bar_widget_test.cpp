// The skinned bar on real panels: geometry follows the record, presses reach the owner.
#include "library/skin_scroll_bar_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
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

TEST(SkinScrollBarWidget, EveryPartReportsItsMouseMessagesWithTheButtons)
{
    SkinScrollBarWidget seek(false, true);
    seek.resize(300, 18);
    seek.Bar().track.setHeight(15);
    seek.Bar().thumb.setSize(QSize(20, 15));
    seek.Init();
    seek.Relayout();
    seek.Bar().maxValue = 1000;
    seek.SetPosition(500);  // track 10..290, fill 10..150, thumb 140..160
    seek.show();
    QSignalSpy pressed(&seek, &SkinScrollBarWidget::partPressed);
    QSignalSpy moved(&seek, &SkinScrollBarWidget::partMoved);
    QSignalSpy released(&seek, &SkinScrollBarWidget::partReleased);
    QSignalSpy doubleClicked(&seek, &SkinScrollBarWidget::partDoubleClicked);

    QTest::mousePress(seek.Thumb(), Qt::LeftButton, {}, QPoint(6, 5));
    QTest::mouseRelease(seek.Thumb(), Qt::LeftButton, {}, QPoint(6, 5));
    QTest::mousePress(seek.Fill(), Qt::RightButton, {}, QPoint(20, 5));
    QTest::mousePress(seek.Track(), Qt::LeftButton, {}, QPoint(200, 5));
    QTest::mouseRelease(seek.Track(), Qt::LeftButton, {}, QPoint(200, 5));
    QTest::mouseDClick(seek.Track(), Qt::LeftButton, {}, QPoint(200, 5));
    ASSERT_EQ(pressed.size(), 3);
    EXPECT_EQ(pressed[0][0].value<BarPart>(), BarPart::Thumb);
    EXPECT_EQ(pressed[0][1].toInt(), 6);  // inside the thumb
    EXPECT_EQ(pressed[1][0].value<BarPart>(), BarPart::Fill);
    EXPECT_EQ(pressed[1][1].toInt(), 30);  // container coordinates
    EXPECT_EQ(pressed[1][2].value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::RightButton));
    EXPECT_EQ(pressed[2][0].value<BarPart>(), BarPart::Track);
    EXPECT_EQ(pressed[2][1].toInt(), 210);
    ASSERT_GE(released.size(), 2);
    EXPECT_EQ(released[0][0].value<BarPart>(), BarPart::Thumb);
    EXPECT_EQ(released[1][0].value<BarPart>(), BarPart::Track);
    ASSERT_EQ(doubleClicked.size(), 1);
    EXPECT_EQ(doubleClicked[0][0].value<BarPart>(), BarPart::Track);

    QMouseEvent move(QEvent::MouseMove, QPointF(40, 5), seek.Track()->mapToGlobal(QPointF(40, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(seek.Track(), &move);
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0][1].toInt(), 50);
    EXPECT_EQ(moved[0][2].value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::LeftButton));
}
