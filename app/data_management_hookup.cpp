#include "app/data_management_hookup.h"

#include <QAction>

#include "app/viewer.h"
#include "library/recording_library.h"
#include "map/map_view.h"
#include "player/playback_channel.h"
#include "player/playback_controller.h"
#include "player/recording_opener.h"
#include "ui/main_window.h"

namespace korvane {

CardRecordings ViewerDataHost::Catalogue()
{
    const RecordingCatalogue& c = viewer_.Library().Catalogue();
    CardRecordings card;
    card.folder = c.recordingFolder;
    card.normalFiles = c.normalFiles;
    card.eventFiles = c.eventFiles;
    card.normalTotalBytes = c.normalTotalBytes;
    card.eventTotalBytes = c.eventTotalBytes;
    card.listed = true;
    return card;
}

void ViewerDataHost::SetSystemTimerEnabled(bool enabled)
{
    PlaybackController& player = viewer_.Player();
    if (enabled)
        player.StartTick();
    else
        player.StopTick();
}

void ViewerDataHost::StopPlayback()
{
    // What the stop button does; with nothing loaded the button is off and there is nothing to
    // stop (a stop would light the play button over an empty player).
    PlaybackController& player = viewer_.Player();
    if (player.Current()->ref.IsValid())
        player.Stop();
}

void ViewerDataHost::ShowPositionMap()
{
    if (MapView* maps = viewer_.Maps())
        maps->PrepareMapsForClean();
}

void ViewerDataHost::KillStaleEngines() { korvane::KillStaleEngines(*viewer_.Player().Current()); }

void ViewerDataHost::ResetViewerAll() { viewer_.Player().Opener().ResetViewer(true, true, true, true, true); }

void ViewerDataHost::ReloadFolder(const QString& folder)
{
    RecordingLibrary& library = viewer_.Library();
    library.OpenRecordingFolder(folder);
    // Both selectors black, the Normal grid shown and the Event grid hidden.
    library.ResetGrids();
}

void ViewerDataHost::SetDataMenusEnabled(bool enabled) { viewer_.SetDataMenusEnabled(enabled); }

DataManagementHookup::DataManagementHookup(TfrmMain& window, Viewer& viewer, BusyState& busy, QObject* parent)
    : QObject(parent), host_(viewer, busy), ui_(&window),
      commands_(std::make_unique<DataManagement>(host_, ui_))
{
    connect(window.miBackup, &QAction::triggered, commands_.get(), &DataManagement::miBackupClick);
    connect(window.miClean, &QAction::triggered, commands_.get(), &DataManagement::miCleanClick);
}

DataManagementHookup::~DataManagementHookup() { Shutdown(); }

void DataManagementHookup::Shutdown() { commands_->Worker().StopAndJoin(); }

} // namespace korvane
