#pragma once
// What the recordings library needs from the main window. The window implements this interface
// and hands itself to RecordingLibrary; every call comes on the main thread.
#include <QString>

class QWidget;

namespace korvane {

struct PlaybackChannel;
class Mp4Parser;

class LibraryHost {
public:
    virtual ~LibraryHost() = default;

    // The window that owns the library's dialogs; its title is the caption of the
    // "ファイルが見つかりません!" box.
    virtual QWidget* MainWindow() = 0;
    // The channel that plays (currentChannel); its partner is reached through it.
    virtual PlaybackChannel& CurrentChannel() = 0;
    // The telemetry parser and the gpsSeen flag the loads go through.
    virtual Mp4Parser& TelemetryParser() = 0;
    virtual bool& GpsSeen() = 0;

    // viewerIdle: false while a recording is loaded or a job runs.
    virtual bool ViewerIdle() const = 0;
    virtual void SetViewerIdle(bool idle) = 0;
    // tmProcessFinish: sets viewerIdle back after 500 ms.
    virtual void StartProcessFinish() = 0;

    // Player (tbStopClick, tbPlayClick, tmWaitReady, selectedCell).
    virtual void StopPlayback() = 0;
    virtual void StartPlayback() = 0;
    virtual void StartWaitReady() = 0;
    virtual void SetSelectedCell(class ThumbnailCell* cell) = 0;
    // A cell was double-clicked: stop tmSystem, disable the seek parts and imgCurve until the
    // player enables them again.
    virtual void HaltPlayerForOpen() = 0;
    // plTime shown when the menu item miTime is checked, else hidden.
    virtual void ShowTimePanelPerMenu() = 0;

    // The ResetViewer switches whose parts live outside the library.
    // video: hide both channels' video images, show plVCRBackGround, ReleaseChannel on both
    // channels, hide plTime.
    virtual void ResetVideo() = 0;
    // telemetry: reset the MP4 reader, clear the current channel's track and duration, empty
    // chart, ShowTelemetryAt(0, seek, cursor, G, followMap), GPS read-outs to "no fix".
    virtual void ResetTelemetry(bool followMap) = 0;
    // buttons: hide tbPlay_On and tbPause_On, show tbStop_On, disable play, stop and pause.
    virtual void ResetButtons() = 0;

    // The group selectors under the grids: paint btnEvent and btnNormal black and show the lit
    // picture of `group` (1 Normal, 0 Event) with the grey picture over the other one; for -1
    // only paint the two selectors black (the pictures stay as they are).
    virtual void ShowGroupSelectors(int group) = 0;
    // A new folder is opened: position map shown, route map hidden, route polyline cleared.
    virtual void PrepareMapsForNewFolder() = 0;
    // miClean and miBackup.
    virtual void SetDataMenusEnabled(bool enabled) = 0;
    // The two-line information dialog (TfrmInformation1), modal.
    virtual void ShowInformation2(const QString& first, const QString& second) = 0;
};

} // namespace korvane
