// Setup > Export… from the dialog to the outcome; see export_command.h.
#include "app/export_command.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QLoggingCategory>

#include "core/busy_state.h"
#include "datamgmt/job_worker.h"
#include "platform/message_box.h"
#include "player/snapshot.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"
#include "ui/text_tables.h"

namespace korvane {

Q_LOGGING_CATEGORY(lcExportCommand, "korvane.app.export")

namespace {

// The progress dialog reads the export's thousandths and asks it to stop.
class ExportJobView : public ProcessJob {
public:
    ExportJobView(const JobWorker& worker, ExportProgress& progress) : worker_(worker), progress_(progress) {}
    int JobDone() const override { return progress_.permille.load(); }
    int JobTotal() const override { return 1000; }
    bool Ended() const override { return !worker_.taskBusy(); }
    void RequestStop() override { progress_.stopRequested = true; }

private:
    const JobWorker& worker_;
    ExportProgress& progress_;
};

QString Caption() { return QStringLiteral("Korvane"); }

QString FailureName(ExportFailure kind)
{
    switch (kind) {
    case ExportFailure::BadInput: return QStringLiteral("bad input");
    case ExportFailure::Unreadable: return QStringLiteral("unreadable");
    case ExportFailure::Unwritable: return QStringLiteral("unwritable");
    case ExportFailure::DestinationOnCard: return QStringLiteral("destination on the card");
    case ExportFailure::Stopped: return QStringLiteral("stopped");
    }
    return QString();
}

} // namespace

QString ExportClock(std::int64_t us)
{
    const std::int64_t ms = (std::max<std::int64_t>(us, 0) + 500) / 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

ExportCommand::ExportCommand(JobWorker& worker, BusyState& busy, QWidget* mainWindow, QObject* parent)
    : QObject(parent), worker_(worker), busy_(busy), mainWindow_(mainWindow), run_(&RunExport)
{
}

ExportCommand::~ExportCommand() { RequestStop(); }

void ExportCommand::RequestStop()
{
    if (progress_)
        progress_->stopRequested = true;
}

void ExportCommand::Run(const ExportStart& start)
{
    if (running_)
        return;
    running_ = true;
    ExportDialogContent content;
    const std::int64_t endUs = start.range.outUs;
    content.rangeText = endUs < 0 ? ExportClock(start.range.inUs) + QStringLiteral(" –")
                                  : QStringLiteral("%1 – %2 (%3 s)")
                                        .arg(ExportClock(start.range.inUs), ExportClock(endUs))
                                        .arg(double(endUs - start.range.inUs) / 1e6, 0, 'f', 1);
    QStringList names;
    for (const QString& path : start.range.recordings)
        names << QFileInfo(path).fileName();
    // The other channels' recordings go along, each as its own clip.
    for (const ExportChannel& channel : start.range.channels)
        for (const ExportChannelSource& source : channel.sources)
            if (!source.path.isEmpty())
                names << QFileInfo(source.path).fileName();
    content.recordingsText = names.join(QLatin1Char('\n'));
    content.offerNeighbours = !start.neighbours.isEmpty();
    QStringList neighbourNames;
    for (const QString& path : start.neighbours)
        neighbourNames << QFileInfo(path).fileName();
    content.neighboursText = neighbourNames.join(QLatin1Char('\n'));

    QStringList cardFolders{start.cardFolder};
    for (const QString& path : start.range.recordings)
        cardFolders << QFileInfo(path).absolutePath();
    cardFolders.removeAll(QString());
    bool neighbours = false;
    for (;;) {
        ExportDialog dialog(mainWindow_, content, chooser_);
        dialog.SetDestination(destination);
        dialog.SetOverlay(overlay);
        dialog.SetNeighbours(neighbours);
        dialog.adjustSize();   // centred at the size its layout gives it
        if (ShowCentered(dialog, mainWindow_) != QDialog::Accepted) {
            running_ = false;
            return;
        }
        destination = dialog.Destination();
        overlay = dialog.Overlay();
        neighbours = dialog.Neighbours();
        if (destination.isEmpty()) {
            ShowMessageBox(Caption(), CatalogueText(keys::kExportNoDestination), BoxIcon::Warning);
            continue;
        }
        if (InsideCard(destination, cardFolders)) {
            qCInfo(lcExportCommand) << "destination on the card refused:" << destination;
            ShowMessageBox(Caption(), CatalogueText(keys::kExportOnCard), BoxIcon::Warning);
            continue;
        }
        break;
    }

    ExportRange range = start.range;
    if (neighbours && !start.withNeighbours.isEmpty())
        range = ExportRange{start.withNeighbours, 0, -1, start.withNeighboursChannels};
    ExportOptions options;
    options.destination = destination;
    options.cardFolder = start.cardFolder;
    options.overlay = overlay;
    options.mph = start.mph;
    qCInfo(lcExportCommand) << "export of" << range.recordings << range.inUs << ".." << range.outUs << "us to"
                            << destination << (overlay ? "with the overlay clip" : "") << "and"
                            << range.channels.size() << "other channels";
    const auto result = Work(range, options);
    if (!result) {
        ShowMessageBox(Caption(), CatalogueText(keys::kExportBusy), BoxIcon::Warning);
    } else {
        ShowOutcome(*result);
    }
    running_ = false;
    emit ended();
}

std::optional<Expected<ExportResult, ExportError>> ExportCommand::Work(const ExportRange& range,
                                                                       const ExportOptions& options)
{
    using Result = std::optional<Expected<ExportResult, ExportError>>;
    auto progress = std::make_shared<ExportProgress>();
    auto result = std::make_shared<Result>();
    worker_.SetTaskInput([run = run_, range, options, progress, result](const std::atomic<bool>& stop) {
        if (stop.load())
            progress->stopRequested = true;
        *result = run(range, options, *progress);
        return !**result && (**result).error().kind == ExportFailure::Stopped;
    });
    if (!worker_.StartWorkerJob(JobWorker::kTaskMode))
        return std::nullopt;
    progress_ = progress;
    busy_.Set(BusyReason::JobRunning);
    emit started();

    ExportJobView job(worker_, *progress);
    TfrmProcess dialog(mainWindow_);
    dialog.SetJob(&job);
    dialog.Prepare(CatalogueText(keys::kExportProgress), false, true);
    // The fill moves every second; the export's end closes the dialog at once.
    const QMetaObject::Connection end = connect(&worker_, &JobWorker::jobFinished, &dialog, [&dialog](int mode, bool) {
        if (mode == JobWorker::kTaskMode)
            dialog.JobEnded();
    });
    ShowCentered(dialog, mainWindow_);
    disconnect(end);
    dialog.tmProcess->stop();
    if (worker_.taskBusy()) {
        // Stopped: the export ends at its next frame or block; the window keeps running meanwhile.
        QEventLoop loop;
        connect(&worker_, &JobWorker::jobFinished, &loop, &QEventLoop::quit);
        if (worker_.taskBusy())
            loop.exec();
    }
    busy_.Clear(BusyReason::JobRunning);
    progress_.reset();
    if (!*result)
        return Expected<ExportResult, ExportError>(
            Unexpected(ExportError{ExportFailure::Stopped, QStringLiteral("the worker stopped")}));
    return std::move(*result);
}

void ExportCommand::ShowOutcome(const Expected<ExportResult, ExportError>& result)
{
    if (result) {
        qCInfo(lcExportCommand) << "export done:" << result->folder;
        ShowMessageBox(Caption(), CatalogueText(keys::kExportDone) + QLatin1Char('\n') + result->folder,
                       BoxIcon::Information);
        return;
    }
    const ExportError& e = result.error();
    if (e.kind == ExportFailure::Stopped) {
        qCInfo(lcExportCommand) << "export stopped";
        ShowMessageBox(Caption(), CatalogueText(keys::kExportStopped), BoxIcon::Information);
        return;
    }
    qCWarning(lcExportCommand) << "export failed:" << FailureName(e.kind) << e.detail;
    ShowMessageBox(Caption(), CatalogueText(e.kind == ExportFailure::DestinationOnCard ? keys::kExportOnCard
                                                                                     : keys::kExportFailed) +
                                  QLatin1Char('\n') + e.detail,
                   BoxIcon::Warning);
}

} // namespace korvane
