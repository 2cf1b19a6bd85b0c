// The media graph in this process, drawing into a panel of a real window.
#include "kernel/media_graph_player.h"
#include "platform/file_name_bytes.h"
#include "platform/message_box.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {
constexpr int64_t kFrame = 10000000 / 30 + 1;  // one frame at 30 fps in 100 ns units

struct Recorder : MessageSink {
    QStringList texts;
    int Show(const QString&, const QString& text, BoxIcon, BoxButtons) override
    {
        texts << text;
        return kResultOk;
    }
};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (tools/test.sh starts Xvfb)";
        SetMessageSink(&boxes);
        window = std::make_unique<VideoWindow>();
        player.Create(window->panelId());
    }
    void TearDown() override { SetMessageSink(nullptr); }

    // Opens like the kernel does: built, first frame stopped, then the loop marks it active.
    void OpenActive(const QString& path)
    {
        ASSERT_TRUE(player.Open(path, 0));
        ASSERT_EQ(player.lastBuildError(), 0) << boxes.texts.join(QLatin1Char(',')).toStdString();
        ASSERT_TRUE(player.ShowFirstFrameStopped());
        player.active = 1;
    }
    int64_t Position()
    {
        int64_t p = -1;
        EXPECT_TRUE(player.CurrentPosition(p));
        return p;
    }
    int32_t State()
    {
        int32_t s = -1;
        EXPECT_TRUE(player.GetState(1000, s));
        return s;
    }
    void Wait(int ms)
    {
        WaitFor([] { return false; }, ms);
    }

    Recorder boxes;
    std::unique_ptr<VideoWindow> window;
    MediaGraphPlayer player;
};
} // namespace

TEST_F(PlayerTest, DurationAgreesWithTheFileWithinOneFrame)
{
    for (const QString& path : {SampleRecording(), Fixture("noaudio"), Fixture("h265")}) {
        SCOPED_TRACE(path.toStdString());
        MediaGraphPlayer p;
        p.Create(window->panelId());
        ASSERT_TRUE(p.Open(path, 0));
        EXPECT_EQ(p.lastBuildError(), 0);
        const int64_t expected = ProbeDuration100ns(path);
        ASSERT_GT(expected, 0);
        EXPECT_NEAR(static_cast<double>(p.duration), static_cast<double>(expected), kFrame);
        EXPECT_FLOAT_EQ(p.durationSeconds, static_cast<float>(p.duration / 10010000.0));
    }
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(PlayerTest, FirstFrameIsDrawnStoppedAtZero)
{
    EXPECT_LT(NonBlackFraction(window->panelId()), 0.3);  // nothing drawn yet
    OpenActive(SampleRecording());
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(State(), 0);
    EXPECT_GT(NonBlackFraction(window->panelId()), 0.3);
}

TEST_F(PlayerTest, RunThenPauseHoldsThePositionAndStopRewindsToAFirstFrame)
{
    OpenActive(SampleRecording());
    ASSERT_TRUE(player.Run());
    Wait(700);
    EXPECT_EQ(State(), 2);
    ASSERT_TRUE(player.Pause());
    EXPECT_EQ(State(), 1);
    const int64_t held = Position();
    EXPECT_GT(held, 3000000);
    Wait(300);
    EXPECT_EQ(Position(), held);

    ASSERT_TRUE(player.StopAndRewind());
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(State(), 0);
    EXPECT_GT(NonBlackFraction(window->panelId()), 0.3);
    // Stop followed by run starts again from the beginning.
    ASSERT_TRUE(player.Run());
    Wait(300);
    const int64_t again = Position();
    EXPECT_GT(again, 0);
    EXPECT_LT(again, held);
}

TEST_F(PlayerTest, AnAbsoluteSeekLands)
{
    OpenActive(SampleRecording());
    ASSERT_TRUE(player.Pause());
    for (int64_t target : {50000000LL, 120000000LL, 10000000LL}) {
        ASSERT_TRUE(player.SetPosition(target));
        // While the graph prerolls at the new place the position may not be known yet.
        EXPECT_TRUE(WaitFor([&] {
            int64_t p = -1;
            return player.CurrentPosition(p) && std::llabs(p - target) <= kFrame;
        }, 3000)) << target;
    }
}

TEST_F(PlayerTest, PauseAndStopRefuseWhileInactiveAndShortPathsOpenNothing)
{
    EXPECT_FALSE(player.Open(QStringLiteral("abc"), 1));
    EXPECT_EQ(player.active.load(), 0);
    int32_t state = 0;
    EXPECT_FALSE(player.GetState(10, state));
    EXPECT_FALSE(player.Pause());
    EXPECT_FALSE(player.StopAndRewind());
    EXPECT_TRUE(player.TearDown());
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(PlayerTest, ARecordingWithoutAudioPlaysSilentlyAndH265Plays)
{
    for (const char* name : {"noaudio", "h265"}) {
        SCOPED_TRACE(name);
        MediaGraphPlayer p;
        p.Create(window->panelId());
        ASSERT_TRUE(p.Open(Fixture(name), 0));
        ASSERT_EQ(p.lastBuildError(), 0);
        p.ShowFirstFrameStopped();
        p.active = 1;
        EXPECT_GT(NonBlackFraction(window->panelId()), 0.3);
        ASSERT_TRUE(p.Run());
        Wait(500);
        int64_t pos = 0;
        EXPECT_TRUE(p.CurrentPosition(pos));
        EXPECT_GT(pos, 1000000);
    }
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(PlayerTest, BuildFailuresShowTheStepsErrorNumber)
{
    struct Case { QString path; int code; };
    const Case cases[] = {
        {Fixture("undecodable_video"), 0x5006},
        {Fixture("undecodable_audio"), 0x5007},
        {Fixture("damaged"), 0x5006},
        {Fixture("garbage"), 0x5006},
        {QStringLiteral("/nonexistent/recording.MP4"), 0x5006},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        boxes.texts.clear();
        MediaGraphPlayer p;
        p.Create(window->panelId());
        EXPECT_TRUE(p.Open(c.path, 0));  // Open ignores the build's result
        EXPECT_EQ(p.lastBuildError(), c.code);
        EXPECT_EQ(boxes.texts, QStringList{QStringLiteral("ERROR 0x%1").arg(c.code, 4, 16)});
    }
}

TEST_F(PlayerTest, OpenKeeps259CharactersOfALongPath)
{
    const QString longPath = QStringLiteral("/") + QString(299, QLatin1Char('d'));
    ASSERT_TRUE(player.Open(longPath, 0));
    EXPECT_EQ(player.mediaPath, longPath.left(259));
}

TEST_F(PlayerTest, AtTheEndTheGraphHoldsThePositionAndStopRewindsForAnotherRun)
{
    OpenActive(Fixture("h264_aac"));
    ASSERT_TRUE(player.Pause());
    ASSERT_TRUE(player.SetPosition(player.duration - 3000000));
    ASSERT_TRUE(player.Run());
    // Played out: the position stays at (about) the end while the graph keeps reporting running.
    ASSERT_TRUE(WaitFor([&] {
        int64_t p = 0;
        return player.CurrentPosition(p) && p >= player.duration - kFrame;
    }, 3000));
    EXPECT_EQ(State(), 2);
    ASSERT_TRUE(player.StopAndRewind());
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(State(), 0);
    ASSERT_TRUE(player.Run());
    EXPECT_TRUE(WaitFor([&] {
        int64_t p = 0;
        return player.CurrentPosition(p) && p > 2000000 && p < player.duration / 2;
    }, 3000));
}

TEST_F(PlayerTest, ANameThatIsNotUtf8OrHoldsALineBreakPlays)
{
    QTemporaryDir dir;
    const QByteArray bytes = QFile::encodeName(dir.path()) + "/2023\xFF\n01120000.MP4";
    // QTemporaryDir cannot remove a name it cannot decode: the file goes by its bytes first.
    const auto removeFile = qScopeGuard([&] { ::unlink(bytes.constData()); });
    ASSERT_TRUE(QFile::copy(Fixture("noaudio"), QFile::decodeName(QFile::encodeName(dir.path()) + "/copy.MP4")));
    ASSERT_EQ(::rename(QFile::encodeName(dir.path() + "/copy.MP4").constData(), bytes.constData()), 0);
    OpenActive(DecodeFileNameBytes(bytes));
    EXPECT_GT(NonBlackFraction(window->panelId()), 0.3);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char(',')).toStdString();
}
