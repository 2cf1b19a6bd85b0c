#pragma once
// The recordings library as the main window uses it: the catalogue of the recording folder,
// the thumbnail pass, the two grids with their bars, the group selection and highlight, the
// double click that opens a recording, and the open-folder command.
//
// Wiring by the window (see LibraryHost for what it provides):
//   library = new RecordingLibrary(host, displayScale, window);
//   library->Pane()                  -> place as plFile (PreferredSize())
//   library->SetFolders(program, start); library->PrepareWorkingFolder();
//   library->OpenRecordingFolder(start)            at start-up
//   miFileOpen (Ctrl+O)              -> OpenFolderCommand()
//   imgNormalGray / imgEventGray     -> GroupPictureClicked(1 / 0)
//   plWordNormal / plWordEvent       -> GroupWordClicked(1 / 0)
//   player                           -> OpenRecordingFromCell, HighlightCell, NextCell, SetGridsReady
//   shut-down                        -> Shutdown()
#include "library/catalogue.h"
#include "library/library_host.h"
#include "library/recordings_pane.h"
#include "library/thumbnail_pass.h"

#include <QObject>
#include <QTimer>

namespace korvane {

class RecordingLibrary : public QObject, private ThumbnailPassSink {
    Q_OBJECT
public:
    RecordingLibrary(LibraryHost& host, double displayScale, QWidget* paneParent);
    ~RecordingLibrary() override;

    RecordingCatalogue& Catalogue() { return catalogue_; }
    RecordingsPane* Pane() const { return pane_; }
    ThumbnailPass& Pass() { return pass_; }
    ThumbnailGrid& Grid(int group) { return *pane_->View(group).Grid(); }
    FileGroupView& View(int group) { return pane_->View(group); }

    // Start-up: the program folder and the first recording folder (both the start directory).
    void SetFolders(const QString& programFolder, const QString& recordingFolder);
    // Prepares the working folder (message and false when none can be made).
    bool PrepareWorkingFolder();
    bool PrepareWorkingFolder(const QString& cacheHome);

    // Resets the grids and the catalogue, scans both groups and starts the thumbnail pass.
    void OpenRecordingFolder(const QString& folder);
    // The open dialog ("Film(mp4)" over *.mp4 and *.MP4); false on cancel, else the chosen file's folder.
    static bool ChooseRecordingFolder(QWidget* parent, QString& folder);
    // File > Open (Ctrl+O).
    void OpenFolderCommand();
    // What OpenFolderCommand does once the dialog has given a folder (steps after the dialog).
    void OpenChosenFolder(const QString& folder);

    // From any control of a cell: the cell, the MP4 path and the side-car path. False for
    // another control or an empty cell.
    bool CellPaths(QWidget* control, ThumbnailCell** cell, QString* mp4Path, QString* sidecarPath) const;
    // Opens the recording of a cell in the current channel; true when its kernel was launched.
    bool OpenRecordingFromCell(QWidget* control);

    void SelectGroup(int group);
    void GroupPictureClicked(int group);  // imgNormalGrayClick / imgEventGrayClick: always
    void GroupWordClicked(int group);     // plWordNormalClick / plWordEventClick: only when idle
    bool HighlightCell(QWidget* control, bool scroll);
    void ClearHighlight();
    ThumbnailCell* NextCell(ThumbnailCell* cell) const;
    void ResetViewer(bool video, bool maps, bool telemetry, bool buttons, bool grids);
    // Cursors and enabled state of the shown cells while a recording loads (false) or not.
    void SetGridsReady(bool ready);
    void SetFileBarsToTop();

    ThumbnailCell* PendingCell() const { return pendingCell_; }
    void SetPendingCell(ThumbnailCell* cell) { pendingCell_ = cell; }
    QTimer& FileRunTimer() { return tmFileRun_; }

    // Stops the pass and its tool processes and empties the working folder.
    void Shutdown();

public slots:
    void CellDoubleClicked(korvane::ThumbnailCell* cell);

private slots:
    void tmFileRunTimer();

private:
    QString WindowCaption() const;

    // ThumbnailPassSink
    void ShowThumbnail(int group, const QStringList& shown, const QString& bmpPath) override;
    void UpdateFileBar(int group, int shownCount) override;
    void ShowOverLimitNotice() override;
    void PassFinished() override;

    LibraryHost& host_;
    RecordingCatalogue catalogue_;
    RecordingsPane* pane_;
    ThumbnailPass pass_;
    QTimer tmFileRun_;
    int fileRunTicks_ = 0;
    ThumbnailCell* pendingCell_ = nullptr;
};

} // namespace korvane
