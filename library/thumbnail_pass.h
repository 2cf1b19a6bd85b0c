#pragma once
// The thumbnail pass: a one-shot 100 ms timer on the main thread (tmGetBmp) that makes the
// pictures of the Normal group and then of the Event group with the thumbnail tool, six files
// at a time, and hands each finished picture to the grid. A batch's pictures are shown one
// batch behind generation: after the tool processes of the next batch have been started and
// have ended (or when every file has been generated). At most 240 pictures per group.
//
// The pass never blocks the window: where it has to wait for its tool processes it re-arms its
// timer, and it moves on as soon as the last process of a batch has ended. It only ever counts,
// waits for and kills the tool processes it started itself.
//
// A recording the tool could make no picture of, and that is a recording cut by power loss (no
// sample tables; told by its box headers), keeps its place: its cell shows the damaged picture.
#include "library/catalogue.h"

#include <QObject>
#include <QTimer>
#include <QList>
#include <functional>

class QProcess;

namespace korvane {

// What the pass needs from the grids and the window around it.
class ThumbnailPassSink {
public:
    virtual ~ThumbnailPassSink() = default;
    // `shown` is the group's shown list; its last entry is the new name, for cell shown.size()-1.
    virtual void ShowThumbnail(int group, const QStringList& shown, const QString& bmpPath) = 0;
    // The same for a cut recording the tool could make no picture of: the damaged picture.
    virtual void ShowDamaged(int group, const QStringList& shown) { (void)group, (void)shown; }
    // No thumbnail can be written (the working folder takes no files): said once per viewer.
    virtual void ThumbnailsCannotBeMade() {}
    // After every step of a group: the file bar follows the number of shown cells.
    virtual void UpdateFileBar(int group, int shownCount) = 0;
    // The group holds more than 240 pictures (the over-limit notice, a modal dialog).
    virtual void ShowOverLimitNotice() = 0;
    // Both groups done; the scan report has been written.
    virtual void PassFinished() = 0;
};

class ThumbnailPass : public QObject {
    Q_OBJECT
public:
    static constexpr int kBatchSize = 6;
    // What a batch of pictures needs at least (six 80 x 60 bitmaps take 87 KB): the working
    // folder is probed with it before any tool starts.
    static constexpr qint64 kProbeBytes = 128 * 1024;
    static constexpr int kProcessWaitLimit = 100;  // ticks
    static constexpr int kAttempts = 4;
    static constexpr int kShownLimit = 240;
    static constexpr int kTickMs = 100;

    // The group being made (the numbers are the group codes), or finished.
    enum class Phase { Event = 0, Normal = 1, Finished = 2 };
    static constexpr Phase kPhaseNormal = Phase::Normal;
    static constexpr Phase kPhaseEvent = Phase::Event;
    static constexpr Phase kPhaseFinished = Phase::Finished;

    ThumbnailPass(RecordingCatalogue& catalogue, ThumbnailPassSink& sink, QObject* parent = nullptr);
    ~ThumbnailPass() override;

    // Resets the counters and indexes, sets the phase to Normal and starts the timer. Tool
    // processes of an earlier pass are killed first.
    void Start();
    // Stops the timer and kills the pass's own tool processes (a folder change, shut-down).
    void Stop();

    bool Running() const { return timer_.isActive() || waiting_ || inStep_; }
    Phase CurrentPhase() const { return phase_; }
    // The number of the pass's own tool processes still running.
    int CountThumbnailProcesses() const;
    // Kills the pass's own tool processes and reaps them.
    void KillThumbnailProcesses();

    // How many tool processes of a batch run at once (the others of the batch wait for a free
    // place); 0 means the whole batch at once.
    void SetMaxConcurrentTools(int count) { maxRunning_ = count; }

    // How many ticks the pass waits for a batch's tools before it kills them (100).
    void SetProcessWaitLimit(int ticks) { processWaitLimit_ = ticks; }

    // For tests: the tool to use instead of the program folder's or PATH's ffmpeg.
    void SetToolOverride(const QString& path) { toolOverride_ = path; }

    // One picture outside the batches (a repaired recording's), made by the same tool and
    // ended with the pass's own processes (Start, Stop, destruction) or after the wait limit.
    // `done` runs on the main thread when the tool has ended, whatever it left.
    void MakeSinglePicture(const QString& source, const QString& picture, std::function<void()> done);
    int CountSinglePictureProcesses() const { return int(singles_.size()); }

    // One step of the pass for one group; true while the group needs more steps.
    bool ThumbnailStep(int group);

private slots:
    void tmGetBmpTimer();

private:
    QString Tool() const;
    void KillSinglePictures();
    int StartThumbnails(const QStringList& files, int generationIndex, const QString& tool);
    void ProcessEnded(QProcess* process);
    void LaunchPending();
    void ArmNextTick(bool immediate);
    void Finish();

    RecordingCatalogue& catalogue_;
    ThumbnailPassSink& sink_;
    QTimer timer_;
    QList<QProcess*> processes_;  // the batch's processes, running or waiting to start
    QList<QProcess*> pending_;
    QList<QProcess*> singles_;    // MakeSinglePicture's processes
    int singleSerial_ = 0;        // numbers their input links apart from the batches'
    int maxRunning_ = 0;
    int processWaitLimit_ = kProcessWaitLimit;
    QString toolOverride_;
    Phase phase_ = kPhaseFinished;
    int generationIndex_ = 0;
    int displayIndex_ = 0;
    int processWait_ = 0;
    int attempts_ = 0;
    // The working folder takes no files: recordings are shown with a plain picture.
    bool unwritable_ = false;
    bool waiting_ = false;   // the timer waits for tool processes; their end fires the next tick
    bool inStep_ = false;
};

} // namespace korvane
