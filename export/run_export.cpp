// The whole export of a moment: checks, the plan, the clip and the other channels' clips, the
// telemetry of the range, the evidence, all in a temporary folder beside the export folder that
// is renamed only when everything is written.
#include "export/channel_clips.h"
#include "export/clip_plan.h"
#include "export/clip_writer.h"
#include "export/evidence.h"
#include "export/export_log.h"
#include "export/export_request.h"
#include "export/movie_box.h"
#include "export/range_telemetry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstdio>
#include <future>

namespace korvane {

namespace {

ExportError Failed(ExportFailure kind, const QString& detail)
{
    qCWarning(lcExport) << detail;
    return ExportError{kind, detail};
}

// The 14-digit stamp of a recording's name and the letters before it; false for other names.
bool NameStamp(const QString& path, QString& prefix, QDateTime& stamp)
{
    static const QRegularExpression re(QStringLiteral("^([A-Za-z]*)(\\d{14})\\.mp4$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(QFileInfo(path).fileName());
    if (!m.hasMatch())
        return false;
    prefix = m.captured(1).toUpper();
    stamp = QDateTime::fromString(m.captured(2), QStringLiteral("yyyyMMddHHmmss"));
    stamp.setTimeZone(QTimeZone::utc());
    return stamp.isValid();
}

// Consecutive as continuous play and the route take them: the same group (name prefix), and the
// later one starting in the minute after the earlier one.
bool FollowsOn(const QString& previous, const QString& next)
{
    QString p1, p2;
    QDateTime t1, t2;
    if (!NameStamp(previous, p1, t1) || !NameStamp(next, p2, t2) || p1 != p2)
        return false;
    const qint64 minute1 = t1.toSecsSinceEpoch() / 60, minute2 = t2.toSecsSinceEpoch() / 60;
    return t2 > t1 && minute2 - minute1 == 1;
}

// The folder's canonical form, or empty when it does not exist.
QString Canonical(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

bool Inside(const QString& folder, const QString& root)
{
    return !root.isEmpty() && (folder == root || folder.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/')));
}

QString ClockText(const QDateTime& t)
{
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

Expected<void, ExportError> WriteText(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush()) {
        return Unexpected(Failed(ExportFailure::Unwritable, path + QStringLiteral(": ") + f.errorString()));
    }
    f.close();
    if (f.error() != QFileDevice::NoError)
        return Unexpected(Failed(ExportFailure::Unwritable, path + QStringLiteral(": ") + f.errorString()));
    return {};
}

// The camera clock at the start of the clip: the first recording's name stamp, else the clock of
// its telemetry, else the file's modification time.
QDateTime ClockOfIn(const ClipPiece& first, const RangeTelemetry& telemetry)
{
    QString prefix;
    QDateTime stamp;
    if (NameStamp(QString::fromStdString(first.path), prefix, stamp))
        return stamp.addMSecs(first.shownFromUs / 1000);
    std::string dateTime;
    std::int64_t atUs = 0;
    if (FirstClockTime(telemetry, dateTime, atUs)) {
        QDateTime t = QDateTime::fromString(QString::fromStdString(dateTime), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        t.setTimeZone(QTimeZone::utc());
        if (t.isValid())
            return t.addMSecs(-atUs / 1000);
    }
    QDateTime t = QFileInfo(QString::fromStdString(first.path)).lastModified();
    return QDateTime(t.date(), t.time(), QTimeZone::utc()).addMSecs(first.shownFromUs / 1000);
}

struct SourceDigest {
    QByteArray sha256;
    std::uint64_t size = 0;
};

} // namespace

Expected<ExportResult, ExportError> RunExport(const ExportRange& range, const ExportOptions& options,
                                              ExportProgress& progress)
{
    progress.permille.store(0);
    if (range.recordings.isEmpty())
        return Unexpected(Failed(ExportFailure::BadInput, QStringLiteral("no recording to export")));
    QStringList sources;
    for (const QString& r : range.recordings) {
        const QFileInfo info(r);
        if (!info.isFile() || !info.isReadable())
            return Unexpected(Failed(ExportFailure::Unreadable, r + QStringLiteral(": cannot be read")));
        sources << info.absoluteFilePath();
    }
    // The other channels' recordings, as absolute paths beside the main ones.
    ExportRange absolute = range;
    absolute.recordings = sources;
    QStringList channelFiles;
    for (ExportChannel& channel : absolute.channels) {
        channel.sources.resize(sources.size());
        for (ExportChannelSource& s : channel.sources) {
            if (s.path.isEmpty())
                continue;
            s.path = QFileInfo(s.path).absoluteFilePath();
            channelFiles << s.path;
        }
    }
    for (int i = 1; i < sources.size(); ++i) {
        if (!FollowsOn(sources[i - 1], sources[i]))
            return Unexpected(Failed(ExportFailure::BadInput,
                                     sources[i] + QStringLiteral(": does not follow on from ") + sources[i - 1]));
    }
    // The destination: an existing folder, resolved through links, outside the card's folder and
    // outside every folder a recording lies in.
    const QString destination = Canonical(options.destination);
    if (destination.isEmpty() || !QFileInfo(destination).isDir() || !QFileInfo(destination).isWritable())
        return Unexpected(Failed(ExportFailure::Unwritable, options.destination + QStringLiteral(": not a writable folder")));
    QStringList cardFolders{Canonical(options.cardFolder)};
    for (const QString& s : sources + channelFiles)
        cardFolders << Canonical(QFileInfo(s).absolutePath());
    cardFolders.removeDuplicates();
    for (const QString& card : cardFolders) {
        if (Inside(destination, card))
            return Unexpected(Failed(ExportFailure::DestinationOnCard,
                                     options.destination + QStringLiteral(": lies in the card's folder ") + card));
    }

    // The plan.
    std::vector<RecordingFrames> frames;
    for (int i = 0; i < sources.size(); ++i) {
        if (progress.stopRequested.load())
            return Unexpected(ExportError{ExportFailure::Stopped, QStringLiteral("stopped")});
        auto f = ReadVideoFrames(sources[i].toStdString());
        if (!f)
            return Unexpected(f.error());
        frames.push_back(std::move(*f));
        progress.permille.store(50 * (i + 1) / int(sources.size()));
    }
    auto planned = PlanPieces(absolute, frames);
    if (!planned)
        return Unexpected(Failed(planned.error().kind, planned.error().detail));
    std::vector<ClipPiece> pieces = std::move(*planned);
    RangeTelemetry telemetry = CutTelemetry(pieces);
    auto channelPlans = PlanChannels(absolute, frames, pieces, [&progress] { return progress.stopRequested.load(); });
    if (!channelPlans)
        return Unexpected(channelPlans.error());
    // Every recording a clip takes from is digested: the main ones, then the channels' ones.
    QStringList digested = sources;
    for (const ChannelPlan& plan : *channelPlans)
        for (const ClipPiece& p : plan.pieces)
            if (!digested.contains(QString::fromStdString(p.path)))
                digested << QString::fromStdString(p.path);

    std::int64_t durationUs = 0;
    for (const ClipPiece& p : pieces)
        durationUs += p.shownToUs - p.shownFromUs;
    const QDateTime inClock = ClockOfIn(pieces.front(), telemetry);
    const QString baseName = inClock.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('_') +
                             QString::number(std::max<std::int64_t>((durationUs + 500000) / 1000000, 1)) + QLatin1Char('s');
    QString folderName = baseName;
    for (int n = 2; QFileInfo::exists(destination + QLatin1Char('/') + folderName); ++n)
        folderName = baseName + QLatin1Char('-') + QString::number(n);
    const QString finalFolder = destination + QLatin1Char('/') + folderName;

    // Everything goes into a hidden temporary folder that is removed unless the export completes.
    QTemporaryDir work(destination + QStringLiteral("/.korvane-export-XXXXXX"));
    if (!work.isValid())
        return Unexpected(Failed(ExportFailure::Unwritable, destination + QStringLiteral(": ") + work.errorString()));
    const QString dir = work.path();

    // The sources' digests are taken on the second core while the clip is written.
    // A failure elsewhere ends it early.
    std::atomic<bool> abandon{false};
    const auto stopped = [&progress, &abandon]() { return progress.stopRequested.load() || abandon.load(); };
    auto digests = std::async(std::launch::async, [&digested, &stopped]() -> Expected<QList<SourceDigest>, ExportError> {
        QList<SourceDigest> out;
        for (const QString& s : digested) {
            auto d = FileSha256(s, stopped);
            if (!d)
                return Unexpected(d.error());
            out.append({*d, std::uint64_t(QFileInfo(s).size())});
        }
        return out;
    });
    const auto abandonDigests = [&]() {
        abandon.store(true);
        digests.wait();
    };

    // The clips share the progress up to the overlay (or the telemetry) evenly.
    const int clipsEnd = options.overlay ? 500 : 850;
    const int clipShare = (clipsEnd - 50) / int(1 + channelPlans->size());
    const QString clipPath = dir + QStringLiteral("/clip.MP4");
    const std::uint64_t extra = telemetry.comment.size() + 4096;
    auto clip = WriteLosslessClip(pieces, clipPath.toStdString(), extra, progress, 50,
                                  channelPlans->empty() ? clipsEnd : 50 + clipShare);
    if (!clip) {
        abandonDigests();
        return Unexpected(clip.error());
    }
    if (auto fin = FinishMovieBox(clipPath.toStdString(), telemetry.inTextTrack ? clip->textTrack : -1,
                                  clip->textSamples, telemetry.comment);
        !fin) {
        abandonDigests();
        return Unexpected(fin.error());
    }
    QStringList outputs{QStringLiteral("clip.MP4")};
    for (size_t c = 0; c < channelPlans->size(); ++c) {
        const ChannelPlan& plan = (*channelPlans)[c];
        const QString path = dir + QLatin1Char('/') + plan.fileName;
        const int from = 50 + clipShare * int(c + 1);
        auto written = WriteLosslessClip(plan.pieces, path.toStdString(), 4096, progress, from,
                                         c + 1 == channelPlans->size() ? clipsEnd : from + clipShare);
        if (!written) {
            abandonDigests();
            return Unexpected(written.error());
        }
        // A channel's own timed text is laid out as the main clip's.
        if (written->textTrack >= 0) {
            if (auto fin = FinishMovieBox(path.toStdString(), written->textTrack, written->textSamples, {}); !fin) {
                abandonDigests();
                return Unexpected(fin.error());
            }
        }
        outputs << plan.fileName;
    }
    if (options.overlay) {
        if (auto overlay = WriteOverlayClip(absolute, options.mph, dir + QStringLiteral("/clip_overlay.MP4"), progress);
            !overlay) {
            abandonDigests();
            return Unexpected(overlay.error());
        }
        outputs << QStringLiteral("clip_overlay.MP4");
    }
    for (const auto& [name, text] : {std::pair{QStringLiteral("track.gpx"), RangeGpx(telemetry)},
                                     std::pair{QStringLiteral("telemetry.csv"), RangeCsv(telemetry)}}) {
        if (auto w = WriteText(dir + QLatin1Char('/') + name, QByteArray::fromStdString(text)); !w) {
            abandonDigests();
            return Unexpected(w.error());
        }
        outputs << name;
    }
    auto sourceDigests = digests.get();
    if (!sourceDigests)
        return Unexpected(sourceDigests.error());
    progress.permille.store(900);

    const auto sourceOf = [&](const ClipPiece& piece) {
        const QString path = QString::fromStdString(piece.path);
        const int at = int(digested.indexOf(path));
        SourceRecord s;
        s.path = path;
        s.cardName = QFileInfo(path).fileName();
        s.size = (*sourceDigests)[at].size;
        s.sha256 = (*sourceDigests)[at].sha256;
        s.usedFromUs = piece.shownFromUs;
        s.usedToUs = piece.shownToUs;
        return s;
    };
    ManifestInfo info;
    for (const ClipPiece& piece : pieces)
        info.sources.append(sourceOf(piece));
    for (const ChannelPlan& plan : *channelPlans) {
        ChannelRecord c;
        c.letter = plan.letter;
        c.file = plan.fileName;
        const QDateTime from = inClock.addMSecs(plan.startInClipUs / 1000);
        c.inCamera = ClockText(from);
        c.outCamera = ClockText(from.addMSecs(plan.durationUs / 1000));
        c.durationUs = plan.durationUs;
        for (const ClipPiece& piece : plan.pieces)
            c.sources.append(sourceOf(piece));
        info.channels.append(c);
    }
    info.inCamera = ClockText(inClock);
    info.outCamera = ClockText(inClock.addMSecs(durationUs / 1000));
    info.durationUs = durationUs;
    info.haveGpsOffset = ClockMinusGpsUtc(telemetry, info.clockMinusGpsUtc);
    info.exportedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    info.outputs = outputs;
    if (auto w = WriteText(dir + QStringLiteral("/manifest.json"), ManifestJson(info)); !w)
        return Unexpected(w.error());
    outputs << QStringLiteral("manifest.json");

    // The checksums: the sources as read, named from the export folder, then every output.
    QList<QPair<QString, QByteArray>> sums;
    QStringList summed;
    const auto sumSource = [&](const SourceRecord& s) {
        if (summed.contains(s.path))
            return;  // a recording two pieces take from is listed once
        summed << s.path;
        sums.append({QDir(finalFolder).relativeFilePath(s.path), s.sha256});
    };
    for (const SourceRecord& s : info.sources)
        sumSource(s);
    for (const ChannelRecord& c : info.channels)
        for (const SourceRecord& s : c.sources)
            sumSource(s);
    for (const QString& name : outputs) {
        auto d = FileSha256(dir + QLatin1Char('/') + name, stopped);
        if (!d)
            return Unexpected(d.error().kind == ExportFailure::Unreadable
                                  ? Failed(ExportFailure::Unwritable, d.error().detail)
                                  : d.error());
        sums.append({name, *d});
    }
    if (auto w = WriteText(dir + QStringLiteral("/SHA256SUMS"), ChecksumList(sums)); !w)
        return Unexpected(w.error());
    if (progress.stopRequested.load())
        return Unexpected(ExportError{ExportFailure::Stopped, QStringLiteral("stopped")});

    if (!QDir().rename(dir, finalFolder))
        return Unexpected(Failed(ExportFailure::Unwritable, finalFolder + QStringLiteral(": cannot be created")));
    work.setAutoRemove(false);
    QFile::setPermissions(finalFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    progress.permille.store(1000);
    qCInfo(lcExport) << "exported" << finalFolder;
    return ExportResult{finalFolder};
}

} // namespace korvane
