// The export marks in the real viewer on the sample card: I and O pressed while a recording
// plays set the marks shown on the seek bar and the chart, a continuous-play switch into the
// next minute keeps them and the range runs across both recordings, and opening an unrelated
// recording clears them. Setup > Export… without a recording says so. On another camera's moment
// of two channels the export takes the rear along as its own clip.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTest>

#include "app/app_shell.h"
#include "app/export_hookup.h"
#include "app/transport_hookup.h"
#include "app/viewer.h"
#include "export/export_request.h"
#include "library/recording_library.h"
#include "player/play_time.h"
#include "player/seek_bar.h"
#include "player/playback_channel.h"
#include "player/playback_controller.h"
#include "player/transport_keys.h"
#include "ui/main_window.h"
#include "ui/range_marks_overlay.h"
#include "ui/text_catalogue.h"
#include "ui/text_tables.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {
const QString kSamples = QStringLiteral(KORVANE_SAMPLES_DIR);
const QString kMoment = QStringLiteral(KORVANE_PLAYER_FIXTURES "/moment");

TEST(ExportViewer, MarksFollowContinuousPlayAndClearOnAnUnrelatedRecording)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X display of the test script";
    if (!QFileInfo::exists(kSamples + QStringLiteral("/20250614080100.MP4")))
        GTEST_SKIP() << "the sample card is made by the samples target";
    ViewerHarness v(kSamples);
    ASSERT_TRUE(v.WaitForThumbnails(60000));
    ExportHookup& ex = *v.shell().exportHookup();
    PlaybackController& p = v.player();

    // Nothing shown: Export… says what to do and shows no dialog.
    v.window().miExport->trigger();
    ASSERT_EQ(v.messages.size(), 1);
    EXPECT_TRUE(v.messages[0].contains(CatalogueText(keys::kExportNothingShown)));

    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    const QString first = p.Current()->mediaPath;
    TransportKeys& keys = v.shell().transport()->Keys();
    ASSERT_TRUE(keys.SeekBy(150 - keys.PositionTenths()));   // 15 s
    ASSERT_TRUE(QTest::qWaitFor([&] { return keys.PositionTenths() >= 145 && v.shell().Busy().IsIdle(); }, 10000));
    QTest::keyClick(v.window().mmDummy, Qt::Key_I);
    ASSERT_TRUE(ex.Marks().In().has_value());
    const std::int64_t inUs = ex.Marks().In()->us;
    EXPECT_GE(inUs, 14'500'000);
    EXPECT_LT(inUs, 20'000'000);
    EXPECT_TRUE(ex.SeekMarks()->isVisible());
    EXPECT_TRUE(ex.ChartMarks()->isVisible());
    EXPECT_NEAR(*ex.SeekMarks()->In(), double(inUs) / double(p.Current()->duration / 10), 1e-9);
    EXPECT_FALSE(ex.SeekMarks()->Out().has_value());

    // Continuous play takes the next minute; the mark stays, now left of the bar.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return p.Current()->mediaPath != first && p.State() == PlayState::Playing && v.shell().Busy().IsIdle();
    }, 40000));
    const QString second = p.Current()->mediaPath;
    EXPECT_TRUE(second.endsWith(QStringLiteral("20250614080100.MP4")));
    ASSERT_TRUE(ex.Marks().In().has_value());
    EXPECT_LT(*ex.SeekMarks()->In(), 0.0);
    QTest::qWait(1000);
    QTest::keyClick(v.window().mmDummy, Qt::Key_O);
    ASSERT_TRUE(ex.Marks().Out().has_value());
    const std::optional<ExportStart> start = ex.StartNow();
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(start->range.recordings, (QStringList{first, second}));
    EXPECT_EQ(start->range.inUs, inUs);
    EXPECT_GT(start->range.outUs, inUs);
    EXPECT_EQ(start->cardFolder, v.viewer().Library().Catalogue().recordingFolder);

    // Another recording, not the next minute of this run: the marks go.
    p.Stop();
    v.DoubleClick(v.NormalCell(4));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return p.Current()->mediaPath.endsWith(QStringLiteral("20250614080400.MP4")) &&
               p.State() == PlayState::Playing && v.shell().Busy().IsIdle();
    }, 8000));
    EXPECT_FALSE(ex.Marks().HasMarks());
    EXPECT_FALSE(ex.SeekMarks()->isVisible());
    EXPECT_EQ(ex.StartNow()->range.recordings, QStringList{p.Current()->mediaPath});
    p.Stop();
}

// The front of a two-channel moment plays; the export of the recording shown names the rear
// (its name a second later) and writes its clip beside the front's.
TEST(ExportViewer, AMomentOfTwoChannelsExportsTheRearBesideTheFront)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X display of the test script";
    ViewerHarness v(kMoment);
    ASSERT_TRUE(v.WaitForThumbnails());
    v.DoubleClick(v.NormalCell(0));
    PlaybackController& p = v.player();
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 10000));
    p.Pause();
    const std::optional<ExportStart> start = v.shell().exportHookup()->StartNow();
    ASSERT_TRUE(start.has_value());
    const QString front = kMoment + QStringLiteral("/20250301_130000_NF.mp4");
    const QString rear = kMoment + QStringLiteral("/20250301_130001_NR.mp4");
    ASSERT_EQ(start->range.recordings, QStringList{front});
    ASSERT_EQ(start->range.channels.size(), 1);
    EXPECT_EQ(start->range.channels[0].letter, QLatin1Char('R'));
    ASSERT_EQ(start->range.channels[0].sources.size(), 1);
    EXPECT_EQ(QFileInfo(start->range.channels[0].sources[0].path).canonicalFilePath(), QFileInfo(rear).canonicalFilePath());
    EXPECT_EQ(start->range.channels[0].sources[0].namedLeadSeconds, 1);

    // What Export… hands the worker writes both clips.
    QTemporaryDir dest;
    ASSERT_TRUE(dest.isValid());
    ExportOptions options;
    options.destination = dest.path();
    options.cardFolder = start->cardFolder;
    ExportProgress progress;
    const auto result = RunExport(start->range, options, progress);
    ASSERT_TRUE(result.has_value()) << result.error().detail.toStdString();
    EXPECT_TRUE(QFileInfo::exists(result->folder + QStringLiteral("/clip.MP4")));
    EXPECT_TRUE(QFileInfo::exists(result->folder + QStringLiteral("/clip_R.MP4")));
    QFile manifest(result->folder + QStringLiteral("/manifest.json"));
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    const QJsonArray channels = QJsonDocument::fromJson(manifest.readAll()).object().value(QStringLiteral("channels")).toArray();
    ASSERT_EQ(channels.size(), 1);
    EXPECT_EQ(channels[0].toObject().value(QStringLiteral("file")).toString(), QStringLiteral("clip_R.MP4"));
    p.Stop();
}

} // namespace
