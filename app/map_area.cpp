#include "app/map_area.h"

#include <QAction>

#include "kernel/playback_channel.h"
#include "map/map_addresses.h"
#include "map/map_view.h"
#include "platform/message_box.h"
#include "player/playback_controller.h"
#include "ui/main_window.h"

namespace korvane {

MapView* CreateMapArea(TfrmMain& window, PlaybackController& player, QObject* parent)
{
    auto* maps = new MapView(window.plMapBackground, LoadMapAddresses(), parent);
    maps->currentRecording = [&player] {
        PlaybackChannel& c = *player.currentChannel;
        return RouteSource{&c.track, c.mediaPath, !c.lines.empty(), &c.currentSample};
    };
    maps->setRouteContinueChecked = [&window](bool on) { window.miRouteContinue->setChecked(on); };
    QObject::connect(window.miRouteContinue, &QAction::triggered, maps, &MapView::miRouteContinueClick);
    QObject::connect(maps, &MapView::updateAvailable, maps, [&window] { ShowUpdateNotice(window); });
    return maps;
}

void ShowUpdateNotice(TfrmMain&)
{
    // Until the notice dialog exists, an information box carries the same news.
    ShowMessageBox(QStringLiteral("お知らせ"), QStringLiteral("A newer version of Korvane is available."),
                   BoxIcon::Information);
}

} // namespace korvane
