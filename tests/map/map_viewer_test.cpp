// The real viewer with its map area: a sample recording's route drawn on the route map, its
// marker following the real playback, one-minute neighbours joined into one line.
#include <gtest/gtest.h>


#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QDialog>
#include <QTest>

#include "app/app_shell.h"
#include "app/telemetry_hookup.h"
#include "export/export_request.h"
#include "library/catalogue.h"
#include "telemetry_view/chart_strip.h"
#include "telemetry_view/telemetry_display.h"
#include "app/viewer.h"
#include "player/playback_channel.h"
#include "library/recording_library.h"
#include "ui/show_centered.h"
#include "library/thumbnail_cell.h"
#include "map/leaflet_map.h"
#include "map/map_view.h"
#include "page_state.h"
#include "player/playback_controller.h"
#include "tile_server.h"
#include "ui/main_window.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {

ThumbnailCell* CellNamed(ViewerHarness& v, const QString& name)
{
    for (int i = 0; i < 12; ++i)
        if (ThumbnailCell* c = v.NormalCell(i); c && c->FileName() == name)
            return c;
    return nullptr;
}

} // namespace

class MapViewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs the X display of the test script";
        ASSERT_TRUE(server.Running());
        const QString samples = QStringLiteral(KORVANE_SAMPLES_DIR);
        for (const char* name : {"20250614080000.MP4", "20250614080100.MP4", "20250614080200.MP4"}) {
            const QString from = samples + QLatin1Char('/') + QLatin1String(name);
            if (!QFile::exists(from))
                GTEST_SKIP() << "sample card missing: build the samples target";
            ASSERT_TRUE(QFile::copy(from, card.filePath(QLatin1String(name))));
        }
        qputenv("KORVANE_TERRAIN_TILES", server.Url(QStringLiteral("/terrain/{z}/{x}/{y}.png")).toUtf8());
        qputenv("KORVANE_STREET_TILES", server.Url(QStringLiteral("/street/{z}/{x}/{y}.png")).toUtf8());
        qputenv("KORVANE_CONNECTIVITY_URL", server.Url(QStringLiteral("/connected/")).toUtf8());
        qputenv("KORVANE_UPDATE_URL", server.Url(QStringLiteral("/update/")).toUtf8());
    }

    // Double-clicks a recording and waits until its route is on the page with `lines` lines.
    QVariantMap PlayAndWaitForRoute(ViewerHarness& v, const QString& name, int lines)
    {
        ThumbnailCell* cell = CellNamed(v, name);
        EXPECT_NE(cell, nullptr) << name.toStdString();
        if (!cell)
            return {};
        MapView& maps = *v.viewer().Maps();
        v.DoubleClick(cell);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return v.player().State() == PlayState::Playing && v.viewer().Library().CellOf(v.player().Current()->ref) == cell && !maps.routePending &&
                   maps.plMapRoute()->isVisible() && v.shell().Busy().IsIdle();
        }, 15000)) << name.toStdString();
        QVariantMap state;
        (void)QTest::qWaitFor([&] {
            state = PageState(maps.GMMapRoute());
            return state.value(QStringLiteral("lines")).toInt() == lines;
        }, 10000);
        return state;
    }

    TileServer server;
    QTemporaryDir card;
};

TEST_F(MapViewer, SampleRouteIsDrawnAndTheMarkerFollowsPlayback)
{
    ViewerHarness v(card.path());
    int notices = 0;
    SetDialogRunner([&notices](QDialog& d) {
        notices += d.objectName() == QStringLiteral("frmUpdate");
        return 1;
    });
    ASSERT_TRUE(v.WaitForThumbnails());
    MapView& maps = *v.viewer().Maps();
    ASSERT_TRUE(QTest::qWaitFor([&] { return maps.plMapCaptial()->isVisible(); }, 15000));
    // The update page answers: the notice once.
    EXPECT_TRUE(QTest::qWaitFor([&] { return notices == 1; }, 5000));

    const QVariantMap route = PlayAndWaitForRoute(v, QStringLiteral("20250614080000.MP4"), 1);
    const TelemetryTrack& track = v.player().Current()->track;
    ASSERT_EQ(track.dataType, DataTypeSubtitle);
    ASSERT_GE(maps.route.firstFixIndex, 0);
    EXPECT_GT(route.value(QStringLiteral("points")).toList().value(0).toInt(), 100);
    EXPECT_EQ(route.value(QStringLiteral("zoom")).toInt(), 17);
    const TelemetrySample& first = track.samples[maps.route.firstFixIndex];
    const QVariantList centre = route.value(QStringLiteral("center")).toList();
    EXPECT_NEAR(centre.value(0).toDouble(), first.latitude, 1e-4);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        for (const QString& p : server.Requests())
            if (p.startsWith(QStringLiteral("/terrain/17/")))
                return true;
        return false;
    }, 10000));

    // The marker follows the playing recording.
    QVariantMap a;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        a = PageState(maps.GMMapRoute());
        return a.value(QStringLiteral("markersAuto")).toBool();
    }, 10000));
    QTest::qWait(1500);
    const QVariantMap b = PageState(maps.GMMapRoute());
    EXPECT_NE(a.value(QStringLiteral("marker0Shown")), b.value(QStringLiteral("marker0Shown")));
    EXPECT_EQ(notices, 1);
}

TEST_F(MapViewer, NeighbouringMinutesJoinWithRouteHistoryOn)
{
    ViewerHarness v(card.path());
    ASSERT_TRUE(v.WaitForThumbnails());
    MapView& maps = *v.viewer().Maps();
    v.window().miRouteContinue->trigger();   // history on
    ASSERT_TRUE(maps.routeContinue);
    PlayAndWaitForRoute(v, QStringLiteral("20250614080000.MP4"), 1);
    const QVariantMap joined = PlayAndWaitForRoute(v, QStringLiteral("20250614080100.MP4"), 1);
    EXPECT_EQ(joined.value(QStringLiteral("lines")).toInt(), 1);
    QTest::qWait(150);   // past the self-closing pause of the history toggle
    v.window().miRouteContinue->trigger();   // history off: every load starts empty
    EXPECT_FALSE(maps.routeContinue);
    const QVariantMap fresh = PlayAndWaitForRoute(v, QStringLiteral("20250614080000.MP4"), 1);
    EXPECT_EQ(fresh.value(QStringLiteral("points")).toList().size(), 1);
    QTest::qWait(150);
    v.window().miRouteContinue->trigger();   // history on again
    // 08:02 after 08:00: not the next minute, a new line beside the old one.
    const QVariantMap split = PlayAndWaitForRoute(v, QStringLiteral("20250614080200.MP4"), 2);
    EXPECT_EQ(split.value(QStringLiteral("lines")).toInt(), 2);
}

// A moment exported across two recordings opens in the viewer like a recording of the card: the
// export folder shows its clip as a saved moment at In, and playing it draws its chart and its
// route from the telemetry the clip carries.
TEST_F(MapViewer, AnExportedClipOpensWithItsChartAndRoute)
{
    QTemporaryDir exports;
    ExportRange range;
    range.recordings = {card.filePath(QStringLiteral("20250614080000.MP4")),
                        card.filePath(QStringLiteral("20250614080100.MP4"))};
    range.inUs = 15'000'000;  // the samples last twenty seconds: five of each
    range.outUs = 25'000'000;
    ExportOptions options;
    options.destination = exports.path();
    options.cardFolder = card.path();
    ExportProgress progress;
    const auto exported = RunExport(range, options, progress);
    ASSERT_TRUE(exported.has_value()) << exported.error().detail.toStdString();
    EXPECT_TRUE(exported->folder.endsWith(QStringLiteral("/20250614-080015_10s")));

    ViewerHarness v(exported->folder);
    RecordingLibrary& library = v.viewer().Library();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        ThumbnailCell* c = library.Grid(kGroupEvent).Cell(0);
        return !library.Pass().Running() && v.shell().Busy().IsIdle() && c && !c->IsEmpty();
    }, 30000));
    ThumbnailCell* clip = library.Grid(kGroupEvent).Cell(0);
    EXPECT_EQ(clip->FileName(), QStringLiteral("clip.MP4"));
    EXPECT_EQ(clip->Caption()->text(), QStringLiteral("2025.06.14\n08:00:15"));

    MapView& maps = *v.viewer().Maps();
    v.DoubleClick(clip);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return v.player().State() == PlayState::Playing && !maps.routePending && maps.plMapRoute()->isVisible() &&
               v.shell().Busy().IsIdle();
    }, 15000));
    const TelemetryTrack& track = v.player().Current()->track;
    EXPECT_NEAR(track.sampleCount, 100, 1);  // ten seconds, ten lines a second (Out's picture whole)
    ChartStrip& chart = v.viewer().Telemetry().Display().Chart();
    EXPECT_GE(chart.chartSamples(), track.sampleCount);  // the chart holds the clip's lines
    QVariantMap route;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        route = PageState(maps.GMMapRoute());
        return route.value(QStringLiteral("lines")).toInt() == 1;
    }, 10000));
    EXPECT_GT(route.value(QStringLiteral("points")).toList().value(0).toInt(), 50);
    v.player().Stop();
}
