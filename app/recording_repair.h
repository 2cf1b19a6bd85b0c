#pragma once
// The repair of a cut recording from the viewer: a double click on a cell that shows the damaged
// picture asks whether to repair it; the repair runs on a worker thread while the progress dialog
// shows how far it got (its stop button cancels); the repaired copy is written to the working
// folder as "<stem>_repaired.MP4" (never to the card) and the viewer offers to play it. From then
// on the cell plays its repaired copy. Failures say why (no reference, nothing recovered).
//
//   library.damagedRecordingActivated -> DamagedRecordingActivated -> AskConfirmation2
//     -> worker: RepairRecording -> RepairEnded (GUI thread) -> AskConfirmation2 -> opener
//
// The main window closing during a repair stops it as the stop button does: the progress dialog
// goes, so that the close's quit ends the process at once (the worker stops within a fraction of a
// second and is waited for when this object goes).
#include <QObject>
#include <QString>
#include <memory>

#include "library/recording_ref.h"

class QThread;

namespace korvane {

class LibraryHost;
class RecordingLibrary;
class RecordingOpener;

class RecordingRepair : public QObject {
    Q_OBJECT
public:
    RecordingRepair(RecordingLibrary& library, RecordingOpener& opener, LibraryHost& host, QObject* parent = nullptr);
    // A repair still running is cancelled and waited for (it leaves no partial file).
    ~RecordingRepair() override;

    bool Running() const { return thread_ != nullptr; }

    // What the last repair did, for the log and tests.
    struct Outcome {
        bool repaired = false;
        QString output;   // the repaired copy
        QString message;  // the reason when not repaired
    };
    const Outcome& LastOutcome() const { return outcome_; }

public slots:
    // A double click on a cut recording that has no repaired copy yet.
    void DamagedRecordingActivated(const korvane::RecordingRef& ref);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A repair has ended (repaired, failed or cancelled) and its messages have been shown.
    void repairEnded(bool repaired);

private:
    struct Job;
    void Start(const RecordingRef& ref);
    void ShowProgress();
    void RepairEnded();
    void Report();

    RecordingLibrary& library_;
    RecordingOpener& opener_;
    LibraryHost& host_;
    QThread* thread_ = nullptr;
    std::shared_ptr<Job> job_;
    RecordingRef ref_;
    bool progressShown_ = false;  // the progress dialog is up
    bool ended_ = false;          // the worker is done; Report waits for the dialog to close
    Outcome outcome_;
};

} // namespace korvane
