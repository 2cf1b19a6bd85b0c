// The skin's pictures are in the resource, render at the layout's sizes, and the lit and grey
// versions look lit and grey.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include "ui/skin_pictures.h"

using namespace korvane;

namespace {
QImage Render(const QString& path, QSize size)
{
    QSvgRenderer renderer(path);
    EXPECT_TRUE(renderer.isValid()) << qPrintable(path);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// The most saturated opaque pixel of an image (0 to 255).
int MaxSaturation(const QImage& image)
{
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200)
                most = std::max(most, c.hsvSaturation());
        }
    return most;
}
} // namespace

TEST(SkinPictures, EveryControlHasAPictureThatRendersAtItsSize)
{
    ASSERT_EQ(SkinPictureControls().size(), 10);
    for (const QString& control : SkinPictureControls()) {
        const QString path = SkinPictureFor(control);
        ASSERT_TRUE(QFile::exists(path)) << qPrintable(path);
        QSvgRenderer renderer(path);
        ASSERT_TRUE(renderer.isValid()) << qPrintable(path);
        EXPECT_EQ(renderer.defaultSize(), SkinPictureDesignSize(control)) << qPrintable(control);
        // Drawn at 175 %, a selector fills its control; a player button fills the width of
        // the upper part the button strip shows (it hides the lowest 11 rows at every scale).
        const QImage big = Render(path, SkinPictureDesignSize(control) * 1.75);
        QRect opaque;
        for (int y = 0; y < big.height(); ++y)
            for (int x = 0; x < big.width(); ++x)
                if (big.pixelColor(x, y).alpha() > 128)
                    opaque |= QRect(x, y, 1, 1);
        if (control.startsWith(QLatin1String("img"))) {
            EXPECT_GE(opaque.width(), 0.85 * big.width()) << qPrintable(control);
            EXPECT_GE(opaque.height(), 0.85 * big.height()) << qPrintable(control);
        } else {
            EXPECT_GE(opaque.width(), 0.65 * big.width()) << qPrintable(control);
            EXPECT_LE(opaque.bottom(), big.height() - 11) << qPrintable(control);
            const QImage small = Render(path, SkinPictureDesignSize(control));
            for (int y = 48 - 10; y < 48; ++y)
                for (int x = 0; x < small.width(); ++x)
                    ASSERT_EQ(small.pixelColor(x, y).alpha(), 0) << qPrintable(control) << " " << x << "," << y;
        }
    }
    EXPECT_TRUE(SkinPictureFor(QStringLiteral("plFile")).isEmpty());
    EXPECT_FALSE(SkinPictureDesignSize(QStringLiteral("plFile")).isValid());
}

TEST(SkinPictures, LitButtonsAreBrighterVersionsOfTheirBase)
{
    for (const char* base : {"tbPlay", "tbPause", "tbStop"}) {
        const QString control = QString::fromLatin1(base);
        const QImage off = Render(SkinPictureFor(control), QSize(48, 48));
        const QImage on = Render(SkinPictureFor(control + QStringLiteral("_On")), QSize(48, 48));
        EXPECT_NE(off, on) << base;
        EXPECT_LT(MaxSaturation(off), 40) << base;   // unlit: grey
        EXPECT_GT(MaxSaturation(on), 150) << base;   // lit: the skin's blue
    }
    // The three symbols differ from each other.
    EXPECT_NE(Render(SkinPictureFor("tbPlay"), QSize(48, 48)), Render(SkinPictureFor("tbStop"), QSize(48, 48)));
    EXPECT_NE(Render(SkinPictureFor("tbPause"), QSize(48, 48)), Render(SkinPictureFor("tbStop"), QSize(48, 48)));
}

TEST(SkinPictures, GreySelectorsAreGreyAndTheLitOnesDiffer)
{
    const QSize size(116, 40);
    for (const char* name : {"imgNormalGray", "imgEventGray"})
        EXPECT_LT(MaxSaturation(Render(SkinPictureFor(name), size)), 40) << name;
    const QImage normal = Render(SkinPictureFor("imgNormal"), size);
    const QImage event = Render(SkinPictureFor("imgEvent"), size);
    EXPECT_GT(MaxSaturation(normal), 150);
    EXPECT_GT(MaxSaturation(event), 150);
    EXPECT_NE(normal.pixelColor(1, 20), event.pixelColor(1, 20));   // told apart by their edge colour
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
