// korvane-cli export [--overlay] [--from TIME] [--to TIME] -o DEST RECORDING...: exports the
// moment from TIME to TIME (the whole recordings without them) of consecutive recordings into
// <DEST>/<YYYYMMDD-hhmmss>_<seconds>s/ and prints that folder as its last line. A recording of
// another camera's moment with several channels (front, rear, interior) brings its other
// channels along as clip_<letter>.MP4, found as the viewer finds them: the recordings of the
// other cameras' forms in the recording's folder (and the folder above it when the recording's
// folder is named for its camera, "front_norm" or "Front").
//
// TIME is the camera clock "YYYY-MM-DDThh:mm:ss[.fff]" or "+SECONDS[.fff]" from the start of the
// first recording. Exit 0 done, 1 bad input (not consecutive, range outside the recordings,
// damaged file), 2 unreadable or unwritable files or a destination in the card's folder, 64 wrong
// arguments, 130 stopped by SIGINT or SIGTERM (nothing left behind).

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTimeZone>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "export/clip_plan.h"
#include "export/export_request.h"
#include "library/camera_forms.h"
#include "library/camera_moments.h"
#include "platform/stop_signals.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_text.h"

namespace korvane::cli {
namespace {

constexpr int kStopped = 130;

ExportProgress gProgress;  // the signal handler sets its stop request

void OnStopSignal(int)
{
    gProgress.stopRequested.store(true);
}

int Usage()
{
    std::fprintf(stderr, "korvane-cli: usage: korvane-cli export [--overlay] [--from TIME] [--to TIME] -o DEST RECORDING...\n");
    return ExitUsage;
}

void Error(const QString& text)
{
    std::fprintf(stderr, "korvane-cli: %s\n", EscapeName(QFile::encodeName(text).toStdString()).c_str());
}

// A time argument: an offset (+SECONDS) or a camera clock time.
struct TimeArg {
    bool given = false;
    bool offset = false;
    std::int64_t offsetUs = 0;
    QDateTime clock;  // UTC-labelled camera clock fields
};

std::optional<TimeArg> ParseTime(const std::string& text)
{
    TimeArg t;
    t.given = true;
    const QString s = QString::fromStdString(text);
    static const QRegularExpression offset(QStringLiteral("^\\+(\\d{1,9})(?:\\.(\\d{1,3}))?$"));
    static const QRegularExpression clock(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2})(?:\\.(\\d{1,3}))?$"));
    const auto millis = [](const QString& f) { return f.isEmpty() ? 0 : f.leftJustified(3, QLatin1Char('0')).toInt(); };
    if (const auto m = offset.match(s); m.hasMatch()) {
        t.offset = true;
        t.offsetUs = m.captured(1).toLongLong() * 1000000 + std::int64_t(millis(m.captured(2))) * 1000;
        return t;
    }
    if (const auto m = clock.match(s); m.hasMatch()) {
        t.clock = QDateTime::fromString(m.captured(1), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        if (!t.clock.isValid())
            return std::nullopt;
        t.clock.setTimeZone(QTimeZone::utc());
        t.clock = t.clock.addMSecs(millis(m.captured(2)));
        return t;
    }
    return std::nullopt;
}

// The camera clock at the start of a recording, from its name's 14-digit stamp.
std::optional<QDateTime> StartClock(const QString& path)
{
    static const QRegularExpression re(QStringLiteral("(\\d{14})\\.mp4$"), QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(QFileInfo(path).fileName());
    if (!m.hasMatch())
        return std::nullopt;
    QDateTime t = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMddHHmmss"));
    if (!t.isValid())
        return std::nullopt;
    t.setTimeZone(QTimeZone::utc());
    return t;
}

// Whether a folder is named for the camera whose recordings it holds ("front_norm", "Front",
// "rear_emer"): the other channels then lie in its sibling folders.
bool NamedForItsCamera(const QString& folder)
{
    const QString name = QFileInfo(folder).fileName().toLower();
    for (const char* camera : {"front", "rear", "back", "inside", "interior"})
        if (name.startsWith(QLatin1String(camera)))
            return true;
    return false;
}

// The other channels of the moment of each recording, added to `range`.
void AddOtherChannels(ExportRange& range)
{
    QHash<QString, CameraCard> walked;  // by folder
    for (int i = 0; i < range.recordings.size(); ++i) {
        const QFileInfo recording(range.recordings[i]);
        // Only a name of the other cameras' forms can have channels: the camera's own recordings
        // need no walk.
        const QDir parent = recording.absoluteDir();
        const QString above = QFileInfo(parent.absolutePath()).absolutePath();
        if (!ParseFormName(recording.fileName(), {QFileInfo(above).fileName().toLower(), parent.dirName().toLower()}))
            continue;
        QStringList folders{recording.absolutePath()};
        if (NamedForItsCamera(folders.front()))
            folders << QFileInfo(folders.front()).absolutePath();
        for (const QString& folder : folders) {
            if (!walked.contains(folder))
                walked.insert(folder, ScanCameraCard(folder));
            const CameraCard& card = walked[folder];
            const QString name = QDir(folder).relativeFilePath(recording.absoluteFilePath());
            QList<OtherChannel> others;
            for (const QList<CameraMoment>* moments : {&card.normal, &card.event})
                for (const CameraMoment& moment : *moments)
                    if (others.isEmpty())
                        others = OtherChannelsOf(moment, name);
            for (const OtherChannel& other : others)
                AddChannelRecording(range, i, other.letter, QDir(folder).absoluteFilePath(other.path),
                                    other.startAfterSeconds);
            if (!others.isEmpty())
                break;
        }
    }
}

int StatusOf(ExportFailure kind)
{
    switch (kind) {
    case ExportFailure::BadInput: return ExitBadData;
    case ExportFailure::Unreadable:
    case ExportFailure::Unwritable:
    case ExportFailure::DestinationOnCard: return ExitNoFile;
    case ExportFailure::Stopped: return kStopped;
    }
    return ExitBadData;
}

} // namespace

int RunExport(const std::vector<std::string>& args)
{
    ExportRange range;
    ExportOptions options;
    TimeArg from, to;
    bool optionsDone = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
        if (!optionsDone && a == "--overlay") {
            options.overlay = true;
        } else if (!optionsDone && (a == "--from" || a == "--to") && hasValue) {
            const auto t = ParseTime(args[++i]);
            if (!t) {
                Error(QStringLiteral("'%1' is not a time (YYYY-MM-DDThh:mm:ss[.fff] or +SECONDS[.fff])")
                          .arg(QString::fromStdString(args[i])));
                return ExitUsage;
            }
            (a == "--from" ? from : to) = *t;
        } else if (!optionsDone && a == "-o" && hasValue) {
            options.destination = QDir::current().absoluteFilePath(QFile::decodeName(args[++i].c_str()));
        } else if (!optionsDone && a == "--") {
            optionsDone = true;
        } else if (!a.empty() && (optionsDone || a[0] != '-')) {
            range.recordings << QDir::cleanPath(QDir::current().absoluteFilePath(QFile::decodeName(a.c_str())));
        } else {
            return Usage();
        }
    }
    if (range.recordings.isEmpty() || options.destination.isEmpty())
        return Usage();
    // The command prints its own one-line messages; the library's log would repeat them.
    QLoggingCategory::setFilterRules(QStringLiteral("korvane.*=false"));
    options.cardFolder = QFileInfo(range.recordings.front()).absolutePath();
    AddOtherChannels(range);

    // Times into the recordings laid end to end, as the clip lays them.
    std::vector<std::int64_t> lengths;
    if (from.given || to.given) {
        for (const QString& r : range.recordings) {
            if (!QFileInfo(r).isFile() || !QFileInfo(r).isReadable()) {
                Error(r + QStringLiteral(": cannot be read"));
                return ExitNoFile;
            }
            auto frames = ReadVideoFrames(r.toStdString());
            if (!frames) {
                Error(frames.error().detail);
                return StatusOf(frames.error().kind);
            }
            lengths.push_back(frames->endUs);
        }
    }
    const auto resolve = [&](const TimeArg& t, std::int64_t& us) -> bool {
        if (t.offset) {
            us = t.offsetUs;
            return true;
        }
        std::int64_t before = 0;
        for (int i = 0; i < range.recordings.size(); ++i) {
            const auto start = StartClock(range.recordings[i]);
            if (start) {
                const std::int64_t into = start->msecsTo(t.clock) * 1000;
                if (into >= 0 && into <= lengths[size_t(i)]) {
                    us = before + into;
                    return true;
                }
            }
            before += lengths[size_t(i)];
        }
        return false;
    };
    if (from.given && !resolve(from, range.inUs)) {
        Error(QStringLiteral("--from lies outside the recordings"));
        return ExitBadData;
    }
    if (to.given && !resolve(to, range.outUs)) {
        Error(QStringLiteral("--to lies outside the recordings"));
        return ExitBadData;
    }

    // The overlay's band is drawn with Qt's fonts, which need a GUI application: an offscreen
    // one, so the command runs without a display.
    std::optional<QGuiApplication> gui;
    int guiArgc = 1;
    char guiName[] = "korvane-cli";
    char* guiArgv[] = {guiName, nullptr};
    if (options.overlay) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        gui.emplace(guiArgc, guiArgv);
    }
    platform::InstallStopSignalHandler(OnStopSignal);
    const auto result = korvane::RunExport(range, options, gProgress);
    if (!result) {
        Error(result.error().detail);
        return StatusOf(result.error().kind);
    }
    std::printf("%s\n", EscapeName(QFile::encodeName(result->folder).toStdString()).c_str());
    return FinishOutput() ? ExitOk : ExitNoFile;
}

} // namespace korvane::cli
