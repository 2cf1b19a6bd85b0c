// The viewer's state file: event thresholds and the speed unit read with their defaults, and a
// saved value that leaves the rest of the file as it was.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/viewer_state.h"

namespace korvane {
namespace {

void Write(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ViewerState, DefaultsWithoutAFile)
{
    const ViewerState s = LoadViewerState(QStringLiteral("/nonexistent/Korvane.conf"));
    EXPECT_EQ(s.events.gForce, 0.4);
    EXPECT_EQ(s.events.brakingKmhPerS, 12.0);
    EXPECT_EQ(s.events.preEventSeconds, 10.0);
    EXPECT_FALSE(s.speedInMph);
}

TEST(ViewerState, ValuesFromTheFileAndBadOnesIgnored)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvane.conf"));
    Write(path, "[maps]\nGForce=0.9\n[events]\ngforce = 0.55 ; stronger bumps only\nBrakingKmhPerS=-3\n"
                "PreEventSeconds=7.5\n[Units]\nSpeedInMph=true\n");
    const ViewerState s = LoadViewerState(path);
    EXPECT_EQ(s.events.gForce, 0.55);
    EXPECT_EQ(s.events.brakingKmhPerS, 12.0);
    EXPECT_EQ(s.events.preEventSeconds, 7.5);
    EXPECT_TRUE(s.speedInMph);
}

TEST(ViewerState, SavingReplacesOnlyItsLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvane.conf"));
    Write(path, "; my maps\n[Maps]\nStreetTiles=https://tiles.example/{z}/{x}/{y}.png\n\n[Units]\nSpeedInMph=false\n");
    ASSERT_TRUE(SaveStateValue(path, QStringLiteral("Units"), QStringLiteral("SpeedInMph"), QStringLiteral("true")));
    EXPECT_EQ(Read(path),
              "; my maps\n[Maps]\nStreetTiles=https://tiles.example/{z}/{x}/{y}.png\n\n[Units]\nSpeedInMph=true\n");
    EXPECT_TRUE(LoadViewerState(path).speedInMph);
}

TEST(ViewerState, SavingAddsTheSectionAndCreatesTheFile)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("kept.conf"));
    Write(kept, "[Maps]\nUpdateUrl=\n");
    ASSERT_TRUE(SaveStateValue(kept, QStringLiteral("Units"), QStringLiteral("SpeedInMph"), QStringLiteral("true")));
    EXPECT_EQ(Read(kept), "[Maps]\nUpdateUrl=\n\n[Units]\nSpeedInMph=true\n");

    const QString fresh = dir.filePath(QStringLiteral("Korvane/Korvane.conf"));
    ASSERT_TRUE(SaveStateValue(fresh, QStringLiteral("Units"), QStringLiteral("SpeedInMph"), QStringLiteral("true")));
    EXPECT_EQ(Read(fresh), "[Units]\nSpeedInMph=true\n");
}

TEST(ViewerState, SavingWithoutAPathOrIntoAFileFails)
{
    EXPECT_FALSE(SaveStateValue(QString(), QStringLiteral("Units"), QStringLiteral("SpeedInMph"), QStringLiteral("true")));
    QTemporaryDir dir;
    Write(dir.filePath(QStringLiteral("file")), "x");
    const auto r = SaveStateValue(dir.filePath(QStringLiteral("file/Korvane.conf")), QStringLiteral("Units"),
                                  QStringLiteral("SpeedInMph"), QStringLiteral("true"));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), StateSaveError::CannotWrite);
}

} // namespace
} // namespace korvane
