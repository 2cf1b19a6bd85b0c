// A computed layout applied to a widget tree by name, in logical pixels: parents and children,
// controls the layout places under another parent than the widgets have, captions, visibility
// and rounded regions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>

#include "layout_input.h"
#include "ui/device_pixels.h"
#include "ui/layout_applier.h"

using namespace korvane;

namespace {
template <typename W>
W* Make(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
} // namespace

TEST(LayoutApplier, PlacesByNameInLogicalPixels)
{
    QWidget root;
    root.setObjectName(QStringLiteral("central"));
    auto* curve = Make<QFrame>(&root, "plCurve");
    auto* plot = Make<QFrame>(curve, "plImage");
    auto* label = Make<QLabel>(curve, "lbT03");
    auto* last = Make<QLabel>(curve, "lbT06");
    auto* control = Make<QFrame>(&root, "plVCRControl");
    auto* thumb = Make<QFrame>(control, "tbVCRThumb");
    auto* video = Make<QFrame>(&root, "plVCRBackGround");
    auto* time = Make<QLabel>(&root, "plTime");   // the layout puts it inside the video area
    Make<QFrame>(&root, "plFile");

    const double ratio = 1.5;
    const LayoutResult layout = ApplyLayout(MakeInput(150, 1650, 1014, 250000000));
    const QStringList missing = ApplyPlacements(root, layout, ratio);

    EXPECT_TRUE(missing.contains(QStringLiteral("wbRoute")));
    EXPECT_FALSE(missing.contains(QStringLiteral("plCurve")));
    EXPECT_EQ(curve->geometry(), ToLogical(layout.Rect("plCurve"), ratio));
    EXPECT_EQ(plot->geometry(), ToLogical(layout.Rect("plImage"), ratio));
    EXPECT_EQ(control->geometry(), ToLogical(layout.Rect("plVCRControl"), ratio));
    EXPECT_EQ(video->geometry(), ToLogical(layout.Rect("plVCRBackGround"), ratio));
    // Only the size of the seek thumb belongs to the layout.
    EXPECT_EQ(thumb->size(), ToLogical(QSize(42, 22), ratio));
    // A 25-second recording: the third label reads "30s", the sixth is hidden.
    EXPECT_EQ(label->text(), QStringLiteral("30s"));
    EXPECT_FALSE(label->isHidden());
    EXPECT_TRUE(last->isHidden());
    EXPECT_EQ(label->pos(), ToLogical(layout.Rect("lbT03"), ratio).topLeft());
    // Under another parent, a control lands on the same spot of the client area.
    EXPECT_EQ(time->geometry(), ToLogical(layout.InClient("plTime"), ratio));
    EXPECT_EQ(time->geometry().size(), QSize(180, 20));
}

TEST(LayoutApplier, RoundedRegionsCutTheCorners)
{
    QWidget root;
    auto* file = Make<QFrame>(&root, "plFile");
    const LayoutResult layout = ApplyLayout(MakeInput(100, 1100, 676));
    ApplyPlacements(root, layout, 1.0);
    ApplyRoundedRegions(root, layout, 1.0);
    const QRegion mask = file->mask();
    ASSERT_FALSE(mask.isEmpty());
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(file->width() - 1, file->height() - 1)));
    EXPECT_TRUE(mask.contains(QPoint(file->width() / 2, 0)));
    EXPECT_TRUE(mask.contains(QPoint(6, 6)));
}

TEST(LayoutApplier, TimeLabelsAreMeasuredInDevicePixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(11);
    const auto measure1 = TimeLabelMeasure(font, 1.0);
    const auto measure2 = TimeLabelMeasure(font, 2.0);
    const QSize one = measure1(QStringLiteral("60s"));
    EXPECT_GT(one.width(), measure1(QStringLiteral("6")).width());
    EXPECT_EQ(measure2(QStringLiteral("60s")), one * 2);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
