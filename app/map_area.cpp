#include "app/map_area.h"

#include <QAction>

#include "player/playback_channel.h"
#include "map/map_addresses.h"
#include "map/map_view.h"
#include "platform/message_box.h"
#include "player/playback_controller.h"
#include "ui/dialog_family.h"
#include "ui/dummy_dialog.h"
#include "ui/main_window.h"
#include "ui/show_centered.h"
#include "ui/update_dialog.h"

namespace korvane {

MapView* CreateMapArea(TfrmMain& window, PlaybackController& player, QObject* parent)
{
    auto* maps = new MapView(window.plMapBackground, LoadMapAddresses(), parent);
    maps->currentRecording = [&player] {
        PlaybackChannel& c = *player.currentChannel;
        return RouteSource{&c.track, c.mediaPath, !c.lines.empty(), &c.currentSample};
    };
    maps->showDummy = [&window] {
        if (TfrmDummy* dummy = Dialogs().frmDummy)
            ShowCentered(*dummy, &window);
    };
    maps->setRouteContinueChecked = [&window](bool on) { window.miRouteContinue->setChecked(on); };
    QObject::connect(window.miRouteContinue, &QAction::triggered, maps, &MapView::miRouteContinueClick);
    QObject::connect(maps, &MapView::updateAvailable, maps, [&window] { ShowUpdateNotice(window); });
    return maps;
}

void ShowUpdateNotice(TfrmMain& window)
{
    if (TfrmUpdate* notice = Dialogs().frmUpdate)
        ShowCentered(*notice, &window);
}

} // namespace korvane
