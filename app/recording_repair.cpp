// The repair of a cut recording from the viewer: question, worker thread, progress dialog,
// outcome and the offer to play the repaired copy.
#include "app/recording_repair.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>
#include <atomic>

#include "core/busy_state.h"
#include "library/library_host.h"
#include "library/recording_library.h"
#include "library/repaired_copy.h"
#include "mp4repair/repair.h"
#include "platform/file_name_bytes.h"
#include "player/recording_opener.h"
#include "ui/dialog_family.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"

Q_LOGGING_CATEGORY(lcRepair, "korvane.repair")

namespace korvane {

// What the worker thread and the GUI thread share: the request, the counters the progress dialog
// reads, the stop flag its button sets, and the result once the worker is done.
struct RecordingRepair::Job : public ProcessJob {
    repair::RepairRequest request;
    repair::RepairResult result;
    QString sourcePath, repairedPath;
    bool sourceRecorded = false;
    std::atomic<uint64_t> done{0}, total{0};
    std::atomic<bool> stop{false}, ended{false};

    // The dialog counts kilobytes, so that the counts of a large recording fit an int.
    int JobDone() const override { return int(done.load() >> 10); }
    int JobTotal() const override { return int(total.load() >> 10); }
    bool Ended() const override { return ended.load(); }
    void RequestStop() override { stop = true; }
};

namespace {
std::string FileNameBytes(const QString& path) { return EncodeFileNameBytes(path).toStdString(); }
QString FromFileNameBytes(const std::string& path) { return DecodeFileNameBytes(QByteArray::fromStdString(path)); }
} // namespace

RecordingRepair::RecordingRepair(RecordingLibrary& library, RecordingOpener& opener, LibraryHost& host,
                                 QObject* parent)
    : QObject(parent), library_(library), opener_(opener), host_(host)
{
    connect(&library_, &RecordingLibrary::damagedRecordingActivated, this,
            &RecordingRepair::DamagedRecordingActivated);
    if (QWidget* window = host_.MainWindow())
        window->installEventFilter(this);
}

bool RecordingRepair::eventFilter(QObject* watched, QEvent* event)
{
    // The window's own close handling runs after this and leaves the event loop; a modal progress
    // dialog would hold the process until the repair had run to its end.
    if (event->type() == QEvent::Close && watched == host_.MainWindow() && Running()) {
        qCInfo(lcRepair) << "the window closes: the repair of" << ref_.name << "stops";
        job_->stop = true;
        if (progressShown_) {
            if (TfrmProcess* dialog = Dialogs().frmProcess)
                dialog->btnStopClick();
        }
    }
    return QObject::eventFilter(watched, event);
}

RecordingRepair::~RecordingRepair()
{
    if (!thread_)
        return;
    thread_->disconnect(this);
    job_->stop = true;  // the repair removes its partial output when it stops
    thread_->wait();
    delete thread_;
}

void RecordingRepair::DamagedRecordingActivated(const RecordingRef& ref)
{
    if (Running() || !host_.Busy().IsIdle() || !library_.IsDamaged(ref))
        return;
    if (library_.RepairedPathOf(ref).isEmpty()) {
        // Start-up could not make a working folder (and said so): there is nowhere to write.
        qCWarning(lcRepair) << "no working folder to write the repaired copy of" << ref.name;
        ShowInformation2(CatalogueText(keys::kRepairFailed), QStringLiteral("no working folder"));
        return;
    }
    if (!AskConfirmation2(CatalogueText(keys::kRepairQuestion), ref.name, CatalogueText(keys::kRepairTitle)))
        return;
    Start(ref);
    ShowProgress();
}

void RecordingRepair::Start(const RecordingRef& ref)
{
    ref_ = ref;
    ended_ = false;
    outcome_ = Outcome{};
    auto job = std::make_shared<Job>();
    job->request.damaged = FileNameBytes(library_.MediaPathOf(ref));
    job->request.output = FileNameBytes(library_.RepairedPathOf(ref));
    Job* counters = job.get();  // the job outlives the thread: this object waits for it
    job->request.progress = [counters](uint64_t done, uint64_t total) {
        counters->done = done;
        counters->total = total;
        return !counters->stop.load();
    };
    job_ = job;
    qCInfo(lcRepair) << "repairing" << library_.MediaPathOf(ref) << "into" << library_.RepairedPathOf(ref);
    host_.Busy().Set(BusyReason::Repairing);
    library_.SetGridsReady(false);
    job->sourcePath = library_.MediaPathOf(ref);
    job->repairedPath = library_.RepairedPathOf(ref);
    thread_ = QThread::create([counters] {
        // The copy is tied to the recording as it was read: fingerprinted before the repair and
        // recorded beside the copy once it is written.
        const std::optional<SourceFingerprint> source = FingerprintOf(counters->sourcePath);
        counters->result = repair::RepairRecording(counters->request);
        if (counters->result.ok() && source) {
            const QString written = FromFileNameBytes(counters->result.output);
            counters->sourceRecorded = WriteSourceRecord(written.isEmpty() ? counters->repairedPath : written, *source);
        }
        counters->ended = true;
    });
    thread_->setObjectName(QStringLiteral("repair"));
    connect(thread_, &QThread::finished, this, &RecordingRepair::RepairEnded);
    thread_->start();
}

void RecordingRepair::ShowProgress()
{
    TfrmProcess* dialog = Dialogs().frmProcess;
    if (!dialog || !job_)
        return;
    dialog->SetJob(job_.get());
    dialog->Prepare(CatalogueText(keys::kRepairProgress), false, true);
    progressShown_ = true;
    ShowCentered(*dialog, host_.MainWindow());  // closes when the job has ended, or by its stop button
    progressShown_ = false;
    dialog->tmProcess->stop();
    dialog->SetJob(nullptr);
    if (ended_)
        Report();
}

void RecordingRepair::RepairEnded()
{
    thread_->wait();
    thread_->deleteLater();
    thread_ = nullptr;
    ended_ = true;
    host_.Busy().Clear(BusyReason::Repairing);
    library_.SetGridsReady(true);
    // With the progress dialog up, it closes now and reports once it has.
    if (progressShown_) {
        if (TfrmProcess* dialog = Dialogs().frmProcess)
            dialog->JobEnded();
    } else {
        Report();
    }
}

void RecordingRepair::Report()
{
    if (!job_)
        return;
    const std::shared_ptr<Job> job = std::move(job_);
    const repair::RepairResult& r = job->result;
    outcome_.repaired = r.ok();
    outcome_.output = FromFileNameBytes(r.output);
    outcome_.message = QString::fromStdString(r.message);
    switch (r.status) {
    case repair::RepairStatus::Repaired:
        if (!job->sourceRecorded)
            qCWarning(lcRepair) << "the source of" << outcome_.output << "could not be recorded beside it";
        library_.ShowRepairedPicture(ref_);
        qCInfo(lcRepair) << "repaired" << ref_.name << "after" << FromFileNameBytes(r.reference) << ": video" << r.video
                         << "audio" << r.audio << "text" << r.text << "bytes" << r.coveredBytes << "of" << r.totalBytes;
        if (AskConfirmation2(CatalogueText(keys::kRepairDone), outcome_.output, CatalogueText(keys::kRepairTitle)) && library_.CellOf(ref_))
            opener_.RecordingActivated(ref_);
        break;
    case repair::RepairStatus::Cancelled:
        qCInfo(lcRepair) << "the repair of" << ref_.name << "was cancelled";
        break;
    case repair::RepairStatus::NoReference:
    case repair::RepairStatus::LayoutMismatch:
        qCWarning(lcRepair) << "no reference to repair" << ref_.name << ":" << outcome_.message;
        ShowInformation2(CatalogueText(keys::kRepairNoReference), ref_.name);
        break;
    case repair::RepairStatus::NothingFound:
        qCWarning(lcRepair) << "nothing recovered from" << ref_.name << ":" << outcome_.message;
        ShowInformation2(CatalogueText(keys::kRepairNothingFound), ref_.name);
        break;
    default:
        qCWarning(lcRepair) << "the repair of" << ref_.name << "failed:" << outcome_.message;
        ShowInformation2(CatalogueText(keys::kRepairFailed), outcome_.message);
        break;
    }
    emit repairEnded(outcome_.repaired);
}

} // namespace korvane
