#pragma once
// Export in the viewer: I and O (and Setup > Mark In / Mark Out) set the marks at the position
// shown, the marks are drawn over the seek bar and the chart, and Setup > Export… hands the
// marks' range (or the recording shown) to ExportCommand. The marks follow the recordings the
// player opens (see ExportMarks) and are forgotten when another folder opens.
#include <QObject>

#include "app/export_command.h"
#include "app/export_marks.h"

namespace korvane {

class BusyState;
class JobWorker;
class RangeMarksOverlay;
class TfrmMain;
class Viewer;
struct LoadedRecording;

class ExportHookup : public QObject {
    Q_OBJECT
public:
    ExportHookup(Viewer& viewer, TfrmMain& window, JobWorker& worker, BusyState& busy, QObject* parent = nullptr);

    // I (true) or O (false) at the position shown; false when no recording is shown.
    bool Mark(bool in);
    // Setup > Export….
    void Export();
    // What Export… would hand the command now; none when no recording is shown.
    std::optional<ExportStart> StartNow() const;

    ExportMarks& Marks() { return marks_; }
    ExportCommand& Command() { return *command_; }
    RangeMarksOverlay* SeekMarks() const { return seekMarks_; }
    RangeMarksOverlay* ChartMarks() const { return chartMarks_; }

private:
    void Opened(const LoadedRecording& rec);
    // The overlays show the marks on the recording shown now.
    void ShowMarks();
    // An Event recording's neighbours by the minute rule: the one it follows and the one that
    // follows it, each when there is one.
    QStringList Neighbours(const QString& path) const;

    Viewer& viewer_;
    TfrmMain& window_;
    ExportMarks marks_;
    ExportCommand* command_ = nullptr;
    RangeMarksOverlay* seekMarks_ = nullptr;
    RangeMarksOverlay* chartMarks_ = nullptr;
    int currentGroup_ = -1;
};

} // namespace korvane
