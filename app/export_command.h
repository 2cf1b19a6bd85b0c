#pragma once
// Setup > Export… once the viewer knows what to export: the export dialog (again after a
// refused destination), the export on the background worker behind the progress dialog with
// its stop button, and the outcome in a box. The GUI thread keeps running its event loop while
// the export works, so the window stays responsive.
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

#include "app/export_dialog.h"
#include "export/export_request.h"

class QWidget;

namespace korvane {

class BusyState;
class JobWorker;

// What the viewer hands the command.
struct ExportStart {
    ExportRange range;         // the marks' range, or the recording shown, with its other channels
    QStringList neighbours;    // an Event recording without marks: the recordings offered around it
    QStringList withNeighbours;// the recordings of the range with them added, in time order
    QList<ExportChannel> withNeighboursChannels;  // their other channels, as range.channels
    QString cardFolder;        // the card's recording folder: no destination inside it
    bool mph = false;          // the burned-in speed's unit
};

class ExportCommand : public QObject {
    Q_OBJECT
public:
    using RunFunction =
        std::function<Expected<ExportResult, ExportError>(const ExportRange&, const ExportOptions&, ExportProgress&)>;

    ExportCommand(JobWorker& worker, BusyState& busy, QWidget* mainWindow, QObject* parent = nullptr);
    ~ExportCommand() override;

    // The export itself (RunExport unless replaced) and the folder chooser of the dialog.
    void SetRunFunction(RunFunction run) { run_ = std::move(run); }
    void SetFolderChooser(ExportDialog::FolderChooser chooser) { chooser_ = std::move(chooser); }

    // The whole command; returns when its last box is closed.
    void Run(const ExportStart& start);
    bool Running() const { return running_; }
    // Shut-down: a running export is asked to stop (the worker is joined by its owner).
    void RequestStop();

    // Kept for the next export of this run of the program.
    QString destination;
    bool overlay = false;

signals:
    // The export has been handed to the worker / has ended (with its result shown).
    void started();
    void ended();

private:
    // The work on the worker behind the progress dialog; the result, or none when it could
    // not be handed over.
    std::optional<Expected<ExportResult, ExportError>> Work(const ExportRange& range, const ExportOptions& options);
    void ShowOutcome(const Expected<ExportResult, ExportError>& result);

    JobWorker& worker_;
    BusyState& busy_;
    QWidget* mainWindow_;
    RunFunction run_;
    ExportDialog::FolderChooser chooser_;
    std::shared_ptr<ExportProgress> progress_;
    bool running_ = false;
};

// "hh:mm:ss.mmm" of microseconds.
QString ExportClock(std::int64_t us);

} // namespace korvane
