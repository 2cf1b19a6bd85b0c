#include "library/thumbnail_pass.h"
#include "library/library_log.h"
#include "library/scan_report.h"
#include "library/thumbnail_tool.h"
#include "mp4repair/damage.h"
#include "platform/file_name_bytes.h"
#include "platform/folder_probe.h"
#include "platform/message_box.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace korvane {

namespace {
// The link a recording whose name is not UTF-8 was handed to the tool through.
void RemoveToolInputLink(const QStringList& arguments)
{
    const QString input = ThumbnailToolInput(arguments);
    if (IsToolInputLinkName(QFileInfo(input).fileName()))
        QFile::remove(input);
}

// Kills a tool process of the pass that may still run (or still wait to start) and removes what
// it leaves: a picture half written would count as made, and its input link.
void EndToolProcess(QProcess* p, QObject* pass)
{
    p->disconnect(pass);
    if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(1000);
        QFile::remove(ThumbnailToolOutput(p->arguments()));
    }
    RemoveToolInputLink(p->arguments());
    p->deleteLater();
}

// Only box headers are read, so this stays cheap on a large recording.
bool IsCutRecording(const QString& path)
{
    return repair::IsDamagedRecording(EncodeFileNameBytes(path).toStdString());
}
} // namespace

ThumbnailPass::ThumbnailPass(RecordingCatalogue& catalogue, ThumbnailPassSink& sink, QObject* parent)
    : QObject(parent), catalogue_(catalogue), sink_(sink)
{
    timer_.setSingleShot(true);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &ThumbnailPass::tmGetBmpTimer);
}

ThumbnailPass::~ThumbnailPass()
{
    KillThumbnailProcesses();
    KillSinglePictures();
}

QString ThumbnailPass::Tool() const
{
    return toolOverride_.isEmpty() ? FindThumbnailTool(QCoreApplication::applicationDirPath()) : toolOverride_;
}

void ThumbnailPass::MakeSinglePicture(const QString& source, const QString& picture, std::function<void()> done)
{
    const QString tool = Tool();
    if (tool.isEmpty() || !QFileInfo(tool).isExecutable()) {
        qCWarning(lcLibrary) << "no thumbnail tool for the picture of" << source;
        return;
    }
    QFile::remove(picture);
    auto* p = new QProcess(this);
    p->setProgram(tool);
    p->setArguments(ThumbnailToolArguments(ToolInputPath(source, catalogue_.workingFolder, 1000000 + singleSerial_++ % 1000), picture));
    p->setStandardInputFile(QProcess::nullDevice());
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    auto ended = [this, p, done] {
        if (!singles_.removeOne(p))
            return;
        RemoveToolInputLink(p->arguments());
        const QString output = ThumbnailToolOutput(p->arguments());
        if (QFileInfo::exists(output) && !IsUsableThumbnail(output))
            QFile::remove(output);
        p->deleteLater();
        done();
    };
    connect(p, &QProcess::finished, this, ended);
    connect(p, &QProcess::errorOccurred, this, [p, ended](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            qCWarning(lcLibrary) << "the thumbnail tool could not be started:" << p->program();
            ended();
        }
    });
    // A tool that never finishes is ended like a batch's.
    QTimer::singleShot(processWaitLimit_ * kTickMs, p, [p] {
        if (p->state() != QProcess::NotRunning) {
            qCWarning(lcLibrary) << "the thumbnail tool still runs after the wait limit: ended";
            p->kill();
        }
    });
    singles_.append(p);
    p->start();
}

void ThumbnailPass::KillSinglePictures()
{
    const auto running = singles_;
    singles_.clear();
    for (QProcess* p : running)
        EndToolProcess(p, this);
}

int ThumbnailPass::CountThumbnailProcesses() const
{
    return int(processes_.size());
}

void ThumbnailPass::KillThumbnailProcesses()
{
    const auto running = processes_;
    processes_.clear();
    pending_.clear();
    for (QProcess* p : running)
        EndToolProcess(p, this);
}

void ThumbnailPass::Start()
{
    timer_.stop();
    waiting_ = false;
    if (CountThumbnailProcesses() != 0)
        KillThumbnailProcesses();
    KillSinglePictures();  // pictures of the folder shown before
    processWait_ = 0;
    attempts_ = 0;
    phase_ = kPhaseNormal;
    generationIndex_ = 0;
    displayIndex_ = 0;
    // No folder to write pictures into (start-up could not make one, the disk is full or the
    // folder is read-only): every recording gets a plain picture instead of being left out.
    // Probed once a pass, for both groups.
    unwritable_ = !FolderTakesFiles(catalogue_.workingFolder, kProbeBytes);
    if (unwritable_) {
        qCWarning(lcLibrary) << "the working folder" << catalogue_.workingFolder
                             << "takes no files: recordings shown without thumbnails";
        sink_.ThumbnailsCannotBeMade();
    }
    timer_.start(kTickMs);
}

void ThumbnailPass::Stop()
{
    timer_.stop();
    waiting_ = false;
    KillThumbnailProcesses();
    KillSinglePictures();
    phase_ = kPhaseFinished;
}

void ThumbnailPass::ProcessEnded(QProcess* process)
{
    if (!processes_.removeOne(process))
        return;
    pending_.removeOne(process);
    // The tool ran on a name with no picture: what it left counts only when it is a picture
    // (a full disk leaves 0 bytes).
    RemoveToolInputLink(process->arguments());
    const QString output = ThumbnailToolOutput(process->arguments());
    if (QFileInfo::exists(output) && !IsUsableThumbnail(output))
        QFile::remove(output);
    process->deleteLater();
    LaunchPending();
    // The batch is done: go on at once instead of waiting for the next poll.
    if (processes_.isEmpty() && waiting_ && !inStep_) {
        waiting_ = false;
        timer_.start(0);
    }
}

int ThumbnailPass::StartThumbnails(const QStringList& files, int generationIndex, const QString& tool)
{
    int started = 0;
    for (int k = 0; k < kBatchSize; ++k) {
        const int i = generationIndex + k;
        if (i >= files.size())
            break;
        const QString& name = files.at(i);
        const QString bmp = ThumbnailPath(catalogue_.workingFolder, name);
        if (IsUsableThumbnail(bmp))
            continue;
        QFile::remove(bmp);  // a 0-byte or damaged picture is made again
        auto* p = new QProcess(this);
        p->setProgram(tool);
        const QString input = ToolInputPath(RecordingPath(catalogue_.recordingFolder, name), catalogue_.workingFolder, i);
        p->setArguments(ThumbnailToolArguments(input, bmp));
        p->setStandardInputFile(QProcess::nullDevice());
        p->setStandardOutputFile(QProcess::nullDevice());
        p->setStandardErrorFile(QProcess::nullDevice());
        connect(p, &QProcess::finished, this, [this, p] { ProcessEnded(p); });
        connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart) {
                qCWarning(lcLibrary) << "the thumbnail tool could not be started:" << p->program();
                ProcessEnded(p);
            }
        });
        processes_.append(p);
        pending_.append(p);
        ++started;
    }
    LaunchPending();
    return started;
}

void ThumbnailPass::LaunchPending()
{
    // The batch's tools run at most maxRunning_ at a time; the rest wait their turn.
    const int limit = maxRunning_ > 0 ? maxRunning_ : kBatchSize;
    while (!pending_.isEmpty() && int(processes_.size() - pending_.size()) < limit) {
        QProcess* p = pending_.takeFirst();
        p->start();
    }
}

bool ThumbnailPass::ThumbnailStep(int group)
{
    const QStringList& files = catalogue_.Files(group);
    QStringList& shown = catalogue_.Shown(group);
    QStringList& missing = catalogue_.Missing(group);
    const int count = int(files.size());
    if (count == 0)
        return false;
    if (CountThumbnailProcesses() > 0) {
        if (processWait_++ < processWaitLimit_)
            return true;
        qCWarning(lcLibrary) << "thumbnail tools still running after" << processWait_ << "ticks are ended";
        KillThumbnailProcesses();  // a tool that never finishes
    }
    processWait_ = 0;
    const int g = generationIndex_;
    // Without a folder to write pictures into no tool is started; the group goes straight to
    // showing its recordings with a plain picture.
    if (g == 0 && unwritable_)
        generationIndex_ = count;
    if (g < count && !unwritable_) {
        const QString tool = Tool();
        if (tool.isEmpty() || !QFileInfo(tool).isExecutable()) {
            qCWarning(lcLibrary) << "no thumbnail tool found";
            ShowErrorNumber(0x6003);
            return false;
        }
        ++attempts_;
        const int started = StartThumbnails(files, g, tool);
        if (started > 0 && attempts_ < kAttempts)
            return true;  // the same batch again once its processes have gone
        attempts_ = 0;
        generationIndex_ += kBatchSize;
    }
    if (g == 0) {
        displayIndex_ = 0;
        return true;
    }
    if (displayIndex_ >= count)
        return false;
    for (int k = 0; k < kBatchSize; ++k) {
        const int i = displayIndex_ + k;
        if (i >= count) {
            displayIndex_ = i;
            return false;
        }
        const QString& name = files.at(i);
        const QString bmp = ThumbnailPath(catalogue_.workingFolder, name);
        if (IsUsableThumbnail(bmp)) {
            if (shown.size() >= kShownLimit) {
                sink_.ShowOverLimitNotice();
                return false;
            }
            shown.append(name);
            sink_.ShowThumbnail(group, shown, bmp);
        } else if (IsCutRecording(RecordingPath(catalogue_.recordingFolder, name))) {
            if (shown.size() >= kShownLimit) {
                sink_.ShowOverLimitNotice();
                return false;
            }
            qCInfo(lcLibrary) << "no picture of" << name << ": a cut recording, shown as damaged";
            shown.append(name);
            catalogue_.Damaged(group).append(name);
            sink_.ShowDamaged(group, shown);
        } else if (unwritable_) {
            if (shown.size() >= kShownLimit) {
                sink_.ShowOverLimitNotice();
                return false;
            }
            shown.append(name);
            sink_.ShowThumbnail(group, shown, QString());
        } else {
            missing.append(name);
        }
    }
    displayIndex_ += kBatchSize;
    return true;
}

void ThumbnailPass::ArmNextTick(bool immediate)
{
    if (CountThumbnailProcesses() > 0) {
        // Poll slowly for the wait limit; the end of the last process fires the tick at once.
        waiting_ = true;
        timer_.start(kTickMs);
    } else {
        timer_.start(immediate ? 0 : kTickMs);
    }
}

void ThumbnailPass::tmGetBmpTimer()
{
    timer_.stop();
    waiting_ = false;
    inStep_ = true;
    if (phase_ == kPhaseNormal) {
        if (!ThumbnailStep(kGroupNormal)) {
            generationIndex_ = 0;
            displayIndex_ = 0;
            phase_ = kPhaseEvent;
        }
        sink_.UpdateFileBar(kGroupNormal, int(catalogue_.normalShown.size()));
    } else if (phase_ == kPhaseEvent) {
        if (!ThumbnailStep(kGroupEvent))
            phase_ = kPhaseFinished;
        sink_.UpdateFileBar(kGroupEvent, int(catalogue_.eventShown.size()));
    } else {
        inStep_ = false;
        Finish();
        return;
    }
    inStep_ = false;
    ArmNextTick(true);
}

void ThumbnailPass::Finish()
{
    WriteScanReport(catalogue_);
    sink_.PassFinished();
}

} // namespace korvane
