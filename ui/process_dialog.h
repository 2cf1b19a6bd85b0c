#pragma once
// The progress dialog of the copy and delete jobs. While it is up, tmProcess reads the job's
// counters once a second and shows "done/total" and the fill bar; the job's end closes the
// dialog with OK at once (JobEnded), or at the next look when nobody reports it. The stop
// button asks the job to stop and closes with No. It has no border icons; Esc presses the stop
// button.
#include "ui/dialog_base.h"

class QTimer;

namespace korvane {

// What the progress dialog reads from, and asks of, the job that runs behind it.
class ProcessJob {
public:
    virtual ~ProcessJob() = default;
    virtual int JobDone() const = 0;     // copy attempts made so far
    virtual int JobTotal() const = 0;    // files to copy
    virtual bool Ended() const = 0;      // the job has run to its end
    virtual void RequestStop() = 0;      // sets both the copy's and the delete's stop flag
};

class TfrmProcess : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmProcess(QWidget* parent = nullptr);

    // The job the dialog polls (not owned; null: nothing is polled).
    void SetJob(ProcessJob* job) { job_ = job; }

    // Before a showing: the function text, whether "done/total" is shown (a copy) or hidden (a
    // delete), whether the fill starts from 0; starts tmProcess.
    void Prepare(const QString& function, bool showCount, bool resetFill);

    QLabel* lbFunction = nullptr;
    QWidget* plBackground = nullptr;   // white bar, 210 pixels
    QWidget* plFont = nullptr;         // navy fill from the bar's left edge
    QPushButton* btnEnd = nullptr;     // hidden, OK
    QPushButton* btnStop = nullptr;    // No
    QLabel* lbCopy = nullptr;          // "done/total"
    QTimer* tmProcess = nullptr;       // 1000 ms, off

    void tmProcessTimer();
    // The job has ended: the counters are read one last time and the dialog closes with OK.
    void JobEnded();
    void btnStopClick();
    void btnEndClick();

    // Esc presses the stop button.
    void reject() override;

private:
    ProcessJob* job_ = nullptr;
};

// The fill's width: done / total of the bar's width, truncated; 0 when total is 0.
int ProgressFillWidth(int done, int total, int barWidth);

} // namespace korvane
