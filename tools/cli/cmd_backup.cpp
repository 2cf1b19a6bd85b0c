// korvane-cli backup [--replace] CARD_FOLDER DEST_FOLDER: the viewer's backup without the window.
// Scans the card as the viewer does, checks the destination and its space, copies every
// recording into DEST_FOLDER/YYYYMMDDhhmmss (local time) through temporary names, verifies each
// copy's size and prints the dated folder's path as the last line of standard output.
// Exit status: 0 completed; 1 not completed or interrupted (SIGINT, SIGTERM); 2 bad arguments,
// unreadable card folder, unusable destination (also one inside the card folder) or dated
// folder; 3 not enough space.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <QDateTime>
#include <QDir>
#include <QLoggingCategory>
#include <QFile>
#include <QString>
#include <QStringList>

#include "datamgmt/card_scan.h"
#include "datamgmt/copy_job.h"
#include "datamgmt/destination.h"
#include "datamgmt/listed_files.h"
#include "datamgmt/posix_files.h"
#include "platform/file_name_bytes.h"
#include "platform/stop_signals.h"
#include "tools/cli/cli_commands.h"

namespace korvane::cli {
namespace {

constexpr int kCompleted = 0;
constexpr int kNotCompleted = 1;
constexpr int kBadInput = 2;
constexpr int kNoSpace = 3;

JobProgress gProgress;  // the signal handler sets its stop request

void OnStopSignal(int)
{
    gProgress.stopRequested = true;
}

std::string Local(const QString& s)
{
    return EncodeFileNameBytes(s).toStdString();
}

void Error(const QString& text)
{
    std::fprintf(stderr, "korvane-cli: %s\n", Local(text).c_str());
}

void ShowProgress(double seconds, bool last)
{
    const double mb = 1e6;
    const double done = double(gProgress.bytesDone.load());
    std::fprintf(stderr, "\r%d/%d files  %.1f/%.1f MB  %.1f MB/s   %s", gProgress.done.load(),
                 gProgress.total.load(), done / mb, double(gProgress.bytesTotal.load()) / mb,
                 seconds > 0 ? done / mb / seconds : 0.0, last ? "\n" : "");
    std::fflush(stderr);
}

} // namespace

int RunBackup(const std::vector<std::string>& args)
{
    bool replace = false, optionsDone = false;
    std::vector<std::string> folders;
    for (const std::string& a : args) {
        if (!optionsDone && a == "--replace")
            replace = true;
        else if (!optionsDone && a == "--")
            optionsDone = true;
        else if (!optionsDone && a.size() > 1 && a[0] == '-') {
            Error(QStringLiteral("unknown option '%1'").arg(QString::fromStdString(a)));
            return kBadInput;
        } else
            folders.push_back(a);
    }
    if (folders.size() != 2) {
        std::fprintf(stderr, "korvane-cli: usage: korvane-cli backup [--replace] CARD_FOLDER DEST_FOLDER\n");
        return kBadInput;
    }
    // The command prints its own one-line messages; the library's log would repeat them.
    QLoggingCategory::setFilterRules(QStringLiteral("korvane.*=false"));
    auto absolute = [](const std::string& arg) {
        const QString path = DecodeFileNameBytes(QByteArray::fromStdString(arg));
        return path.isEmpty() ? path : QDir::cleanPath(QDir::current().absoluteFilePath(path));
    };
    const QString cardFolder = absolute(folders[0]);
    const QString destination = absolute(folders[1]);

    const CardRecordings card = ScanCard(cardFolder);
    if (!card.listed || !posixfs::IsFolder(cardFolder)) {
        Error(QStringLiteral("cannot read the card folder '%1'").arg(cardFolder));
        return kBadInput;
    }
    const QStringList names = card.AllNames();
    const DestinationReport check = CheckDestination(destination, card.TotalBytes(), card.folder);
    switch (check.result) {
    case DestinationCheck::NotAFolder:
        Error(QStringLiteral("the destination '%1' is not an existing folder").arg(destination));
        return kBadInput;
    case DestinationCheck::InsideCard:
        Error(QStringLiteral("the destination '%1' lies inside the card folder: nothing is written to a card").arg(destination));
        return kBadInput;
    case DestinationCheck::SpaceUnknown:
        Error(check.detail);
        return kBadInput;
    case DestinationCheck::TooSmall:
        Error(QStringLiteral("not enough space in '%1': %2 bytes available, %3 needed")
                  .arg(destination).arg(check.availableBytes).arg(card.TotalBytes()));
        return kNoSpace;
    case DestinationCheck::Ok:
        break;
    }

    const QString dated = DatedFolderPath(destination, QDateTime::currentDateTime());
    QString error;
    const DatedFolderState state = PrepareDatedFolder(dated, names, &error);
    if (state == DatedFolderState::CannotCreate) {
        Error(error);
        return kBadInput;
    }
    if (state == DatedFolderState::ExistsWithListed && !replace) {
        Error(QStringLiteral("'%1' already holds recordings of this card (--replace overwrites them)").arg(dated));
        return kBadInput;
    }

    platform::InstallStopSignalHandler(OnStopSignal);
    const bool showProgress = ::isatty(STDERR_FILENO);
    const auto start = std::chrono::steady_clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    JobOutcome outcome;
    std::atomic<bool> finished{false};
    std::thread job([&] {
        outcome = CopyRecordings(card.folder, dated, names, gProgress);
        finished = true;
    });
    while (!finished.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (showProgress)
            ShowProgress(seconds(), false);
    }
    job.join();
    if (showProgress)
        ShowProgress(seconds(), true);

    for (const JobError& e : outcome.errors)
        Error(e.Text());
    const QStringList missing = MissingFrom(dated, outcome.names, outcome.sourceSizes);
    int status = kCompleted;
    if (outcome.stopped) {
        Error(QStringLiteral("interrupted: %1 of %2 recordings copied")
                  .arg(names.size() - missing.size()).arg(names.size()));
        status = kNotCompleted;
    } else if (!missing.isEmpty() || !outcome.errors.empty()) {
        for (const QString& name : missing)
            Error(QStringLiteral("%1: missing or of the wrong size in the backup").arg(name));
        Error(QStringLiteral("backup not completed: %1 of %2 recordings copied")
                  .arg(names.size() - missing.size()).arg(names.size()));
        status = kNotCompleted;
    }
    std::printf("%s\n", Local(dated).c_str());
    return status;
}

} // namespace korvane::cli
