#pragma once
// What both measures of the channel benchmark start with: the folder's first moment played in
// the real viewer until every inset shows, and where a panel stands on the screen.
#include <QRect>
#include <QString>
#include <QTest>
#include <QWidget>

#include <cstdio>

#include "app/viewer.h"
#include "player/moment_channels.h"
#include "player/playback_controller.h"
#include "viewer_harness.h"

namespace korvane::bench {

// Plays the first cell of the harness's folder; false (with a line on stdout) when nothing
// played or, with `needOthers`, no other channel did.
inline bool PlayFirstMoment(ViewerHarness& v, const QString& folder, bool needOthers)
{
    if (!v.WaitForThumbnails(120000)) {
        std::printf("%s: the moments did not show\n", qPrintable(folder));
        return false;
    }
    v.DoubleClick(v.NormalCell(0));
    PlaybackController& p = v.player();
    MomentChannels& others = v.viewer().OtherChannels();
    if (!QTest::qWaitFor([&] { return p.State() == PlayState::Playing && (!needOthers || others.Count() > 0); },
                         30000)) {
        std::printf("%s: %s\n", qPrintable(folder), needOthers ? "no other channel played" : "nothing played");
        return false;
    }
    (void)QTest::qWaitFor([&] {
        for (int i = 0; i < others.Count(); ++i)
            if (!others.Inset(i)->isVisible())
                return false;
        return true;
    }, 30000);
    return true;
}

// The rectangle of `panel` on the screen.
inline QRect OnScreen(const QWidget* panel)
{
    return QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size());
}

} // namespace korvane::bench
