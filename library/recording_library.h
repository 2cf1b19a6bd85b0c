#pragma once
// The recordings library as the main window uses it: the catalogue of the recording folder,
// the thumbnail pass, the two grids with their bars, the group selection and highlight. It names
// a recording by a RecordingRef and signals the double click on one; opening it is the
// player's business. It never launches anything.
//
// Wiring by the window (see LibraryHost for what it provides):
//   library = new RecordingLibrary(host, displayScale, window);
//   library->Pane()                  -> place as plFile (PreferredSize())
//   library->SetFolders(program, start); library->PrepareWorkingFolder();
//   library->OpenRecordingFolder(start)            at start-up
//   imgNormalGray / imgEventGray     -> GroupPictureClicked(1 / 0)
//   plWordNormal / plWordEvent       -> GroupWordClicked(1 / 0)
//   recordingActivated, passFinished -> the player
//   damagedRecordingActivated        -> the repair of a cut recording
//   shut-down                        -> Shutdown()
#include "library/catalogue.h"
#include "library/library_host.h"
#include "library/recording_ref.h"
#include "platform/file_identity.h"
#include "library/recordings_pane.h"
#include "library/thumbnail_pass.h"
#include "library/working_folder.h"

#include <QHash>
#include <QObject>

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
    // Prepares the working folder; without one the catalogue's workingFolder stays empty and
    // the error says why (the viewer tells the user).
    Expected<void, WorkingFolderError> PrepareWorkingFolder();
    Expected<void, WorkingFolderError> PrepareWorkingFolder(const QString& cacheHome);

    // Resets the grids and the catalogue, scans both groups and starts the thumbnail pass.
    void OpenRecordingFolder(const QString& folder);
    // The folder chooser, recordings visible ("Film(mp4)" over *.mp4 and *.MP4); false on cancel,
    // else the chosen folder (or the folder of a recording picked in it).
    static bool ChooseRecordingFolder(QWidget* parent, QString& folder);
    // A new folder is about to be opened: maps told, data menus off, bars to the top, grids busy.
    void BeginFolderChange();
    // The library's steps once the viewer has been reset for a new folder: the thumbnail pass
    // stops, the working folder is emptied and the new folder is scanned.
    void OpenChosenFolder(const QString& folder);

    // The recording shown by any control of a cell (the cell, its picture, its caption); an
    // invalid ref for another control or an empty cell.
    RecordingRef RefOf(QWidget* control) const;
    // The cell that shows a recording, when it is still shown there.
    ThumbnailCell* CellOf(const RecordingRef& ref) const;
    // "<recordingFolder>/<name>" and "<workingFolder>/<name>.GPS" of a recording.
    QString MediaPathOf(const RecordingRef& ref) const;
    QString SidecarPathOf(const RecordingRef& ref) const;
    // A cut recording (its cell shows the damaged picture) and where its repaired copy goes.
    bool IsDamaged(const RecordingRef& ref) const;
    QString RepairedPathOf(const RecordingRef& ref) const;
    // The file that plays for a recording: its own, or for a cut one its repaired copy in the
    // working folder when that copy was made from this very recording (see repaired_copy.h);
    // empty for a cut recording not repaired yet.
    QString PlayablePathOf(const RecordingRef& ref) const;
    // The window caption the library's boxes use.
    QString WindowCaption() const;

    void SelectGroup(int group);
    void GroupPictureClicked(int group);  // imgNormalGrayClick / imgEventGrayClick: always
    void GroupWordClicked(int group);     // plWordNormalClick / plWordEventClick: only when idle
    bool HighlightCell(QWidget* control, bool scroll);
    bool HighlightRecording(const RecordingRef& ref, bool scroll);
    void ClearHighlight();
    // The recording after `ref` in its group's grid that can be played (cut recordings without a
    // repaired copy are passed over); invalid at the end.
    RecordingRef NextRecording(const RecordingRef& ref) const;
    // The recording before `ref` by the same rule; invalid at the start.
    RecordingRef PreviousRecording(const RecordingRef& ref) const;
    // The grid part of the viewer reset: selectors black, Normal shown, bars to the top.
    void ResetGrids();
    // Cursors and enabled state of the shown cells while a recording loads (false) or not.
    void SetGridsReady(bool ready);
    void SetFileBarsToTop();

    // Stops the pass and its tool processes and empties the working folder.
    void Shutdown();

    // A cut recording that plays its repaired copy shows that copy's picture with the repaired
    // mark; the picture is made by the thumbnail tool when it is not there yet. Nothing for a
    // recording without a repaired copy of its own.
    void ShowRepairedPicture(const RecordingRef& ref);

signals:
    // A recording was double-clicked (a cut one whose repaired copy exists counts as one).
    void recordingActivated(const korvane::RecordingRef& ref);
    // A cut recording without a repaired copy was double-clicked.
    void damagedRecordingActivated(const korvane::RecordingRef& ref);
    // A new folder is about to be opened (the maps show the position map again).
    void folderOpening();
    // The thumbnail pass has shown both groups; the viewer resets its players.
    void passFinished();
    // No thumbnail can be made (the working folder takes no files); emitted once per viewer.
    void thumbnailsUnavailable();

public slots:
    void CellDoubleClicked(korvane::ThumbnailCell* cell);

private:
    // The playable recording `step` (+1 or -1) cells on from `ref` in its group's grid.
    RecordingRef NeighbourRecording(const RecordingRef& ref, int step) const;

    // ThumbnailPassSink
    void ShowThumbnail(int group, const QStringList& shown, const QString& bmpPath) override;
    void ShowDamaged(int group, const QStringList& shown) override;
    void ThumbnailsCannotBeMade() override;
    void UpdateFileBar(int group, int shownCount) override;
    void ShowOverLimitNotice() override;
    void PassFinished() override;

    LibraryHost& host_;
    RecordingCatalogue catalogue_;
    // Repaired copies already checked against their recording: the copy and the recording as
    // they were then. A recording that still stats the same needs no second hashing.
    struct CheckedCopy {
        FileIdentity copy, source;
    };
    mutable QHash<QString, CheckedCopy> checkedCopies_;
    RecordingsPane* pane_;
    ThumbnailPass pass_;
    bool thumbnailsUnavailableSaid_ = false;
};

} // namespace korvane
