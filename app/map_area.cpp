#include "app/map_area.h"

#include <QAction>

#include "map/map_addresses.h"
#include "map/map_view.h"
#include "platform/message_box.h"
#include "ui/dialog_family.h"
#include "ui/dummy_dialog.h"
#include "ui/main_window.h"
#include "ui/show_centered.h"
#include "ui/update_dialog.h"

namespace korvane {

MapView* CreateMapArea(TfrmMain& window, QObject* parent)
{
    auto* maps = new MapView(window.plMapBackground, LoadMapAddresses(), parent);
    QObject::connect(maps, &MapView::routeContinueToggled, maps, [&window] {
        if (TfrmDummy* dummy = Dialogs().frmDummy)
            ShowCentered(*dummy, &window);
    });
    QObject::connect(maps, &MapView::routeContinueRestored, window.miRouteContinue, &QAction::setChecked);
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
