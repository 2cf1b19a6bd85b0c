#pragma once
// Backup and Clean in the viewer: the Setup menu items and Ctrl+C reach the commands here, the
// commands reach the viewer (catalogue, playback, maps, grids, the busy state) through
// ViewerDataHost and the dialogs through DataManagementDialogs. At shut-down the worker is asked
// to stop and joined, so no copy is left half-written.
#include <QObject>
#include <memory>

#include "app/data_management_dialogs.h"
#include "datamgmt/data_management.h"
#include "datamgmt/data_management_host.h"

namespace korvane {

class TfrmMain;
class Viewer;
class BusyState;

// The viewer as the commands see it.
class ViewerDataHost : public DataManagementHost {
public:
    ViewerDataHost(Viewer& viewer, BusyState& busy) : viewer_(viewer), busy_(busy) {}

    CardRecordings Catalogue() override;
    void SetSystemTimerEnabled(bool enabled) override;
    void StopPlayback() override;
    BusyState& Busy() override { return busy_; }
    void ShowPositionMap() override;
    void KillStaleEngines() override;
    void ResetViewerAll() override;
    void ReloadFolder(const QString& folder) override;
    void SetDataMenusEnabled(bool enabled) override;

private:
    Viewer& viewer_;
    BusyState& busy_;
};

class DataManagementHookup : public QObject {
    Q_OBJECT
public:
    // Connects miBackup and miClean of `window`; the dialogs must exist already.
    DataManagementHookup(TfrmMain& window, Viewer& viewer, BusyState& busy, QObject* parent = nullptr);
    ~DataManagementHookup() override;

    DataManagement& Commands() { return *commands_; }
    DataManagementDialogs& Ui() { return ui_; }
    // Shut-down: a running job is asked to stop and the worker thread is joined.
    void Shutdown();

private:
    ViewerDataHost host_;
    DataManagementDialogs ui_;
    std::unique_ptr<DataManagement> commands_;
};

} // namespace korvane
