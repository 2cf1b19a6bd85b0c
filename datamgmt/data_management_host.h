#pragma once
// What the backup and clean commands need from the rest of the viewer: the catalogue of the
// folder shown, the playback and map parts they reset, and the viewer's busy state.
#include "datamgmt/card_scan.h"

namespace korvane {

class BusyState;

class DataManagementHost {
public:
    virtual ~DataManagementHost() = default;

    // The folder shown and every recording its scan found (normalFiles, eventFiles and their
    // byte totals), copied when a command starts.
    virtual CardRecordings Catalogue() = 0;

    virtual void SetSystemTimerEnabled(bool enabled) = 0;  // the 50 ms tmSystem
    virtual void StopPlayback() = 0;                       // what the stop button does
    // The viewer's busy state. The commands own two reasons in it: DataCommand while a
    // command runs its dialogs, JobRunning from the hand-over of a job until 500 ms after it
    // has run to its end (or until the command ends).
    virtual BusyState& Busy() = 0;

    // Clean: the position map shown, background and route hidden (nothing until maps exist).
    virtual void ShowPositionMap() = 0;
    virtual void KillStaleEngines() = 0;
    // ResetViewer with every switch on: video, telemetry, buttons and both grids.
    virtual void ResetViewerAll() = 0;
    // OpenRecordingFolder(folder), then both group buttons black, the Normal box shown and the
    // Event box hidden.
    virtual void ReloadFolder(const QString& folder) = 0;
    // miClean and miBackup; the thumbnail pass enables them again when it ends.
    virtual void SetDataMenusEnabled(bool enabled) = 0;
};

} // namespace korvane
