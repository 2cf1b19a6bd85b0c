#include "player/snapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>

#include "library/thumbnail_tool.h"
#include "mp4parse/telemetry_events.h"
#include "platform/card_text.h"
#include "player/frame_timing.h"
#include "player/player_log.h"

namespace korvane {
namespace {
// The tool's link for a recording whose name is not UTF-8; the thumbnail pass numbers its links
// by cell (at most a few hundred).
constexpr int kSnapshotLinkNumber = 100000;
constexpr qint64 kMaxPngBytes = 256LL << 20;

QString Absolute(const QString& path) { return QDir::isAbsolutePath(path) ? QDir::cleanPath(path) : QString(); }

// The XDG_PICTURES_DIR line of a user-dirs.dirs file: "$HOME/..." or an absolute path in quotes.
QString FromUserDirs(const QString& configHome, const QString& home)
{
    QFile file(configHome + QStringLiteral("/user-dirs.dirs"));
    if (configHome.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    QString found;
    for (int n = 0; n < 1000 && !in.atEnd(); ++n) {
        const QString line = in.readLine(4096).trimmed();
        if (!line.startsWith(QLatin1String("XDG_PICTURES_DIR=")))
            continue;
        QString value = line.mid(17).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        if (value == QLatin1String("$HOME") || value.startsWith(QLatin1String("$HOME/")))
            value = home.isEmpty() ? QString() : home + value.mid(5);
        found = Absolute(value);
    }
    return found;
}

// The path with its links resolved, also for a folder not made yet: the deepest part that
// exists is resolved and the rest appended, so a link into the card is seen before anything
// is created behind it.
QString Canonical(const QString& path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString existing = absolute;
    QString rest;
    while (!existing.isEmpty()) {
        if (const QString canonical = QFileInfo(existing).canonicalFilePath(); !canonical.isEmpty())
            return QDir::cleanPath(canonical + rest);
        const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            break;
        rest = existing.mid(slash) + rest;
        existing = slash == 0 ? (existing == QLatin1String("/") ? QString() : QStringLiteral("/")) : existing.left(slash);
    }
    return absolute;
}
} // namespace

QString PicturesFolderFrom(const QString& environmentValue, const QString& configHome, const QString& home)
{
    if (const QString env = Absolute(environmentValue); !env.isEmpty())
        return env;
    if (const QString dirs = FromUserDirs(configHome, home); !dirs.isEmpty())
        return dirs;
    return home.isEmpty() ? QString() : home + QStringLiteral("/Pictures");
}

QString PicturesFolder()
{
    const QString home = Absolute(qEnvironmentVariable("HOME"));
    QString config = Absolute(qEnvironmentVariable("XDG_CONFIG_HOME"));
    if (config.isEmpty() && !home.isEmpty())
        config = home + QStringLiteral("/.config");
    return PicturesFolderFrom(qEnvironmentVariable("XDG_PICTURES_DIR"), config, home);
}

QString SnapshotClock(std::int64_t position100ns, QChar separator)
{
    const long long ms = (std::max<std::int64_t>(position100ns, 0) + 5000) / 10000;   // nearest millisecond
    const char sep = separator.toLatin1();
    return QString::asprintf("%02lld%c%02lld%c%02lld.%03lld", ms / 3600000, sep, ms / 60000 % 60, sep, ms / 1000 % 60,
                             ms % 1000);
}

QString SnapshotFileName(const QString& stem, std::int64_t position100ns)
{
    QString safe = stem;
    for (QChar& c : safe)
        if (c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() == 0x7f ||
            c == QChar::ReplacementCharacter || c.isSurrogate())
            c = QLatin1Char('_');
    if (safe.startsWith(QLatin1Char('.')))
        safe[0] = QLatin1Char('_');
    return safe + QLatin1Char('_') + SnapshotClock(position100ns, QLatin1Char('-')) + QStringLiteral(".png");
}

double SnapshotSeekSeconds(std::int64_t position100ns, std::optional<double> frame100ns)
{
    if (!frame100ns || *frame100ns <= 0)
        return std::max<std::int64_t>(position100ns, 0) / 1e7;
    const std::int64_t index = FrameIndexAt(position100ns, *frame100ns);
    return index <= 0 ? 0.0 : (static_cast<double>(index) - 0.5) * *frame100ns / 1e7;
}

QStringList SnapshotToolArguments(const QString& mp4Path, double seekSeconds)
{
    // "file:" keeps any name a plain file; the picture goes to standard output, so no name of
    // ours is ever read as a pattern.
    return {QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
            QStringLiteral("error"), QStringLiteral("-ss"), QString::number(seekSeconds, 'f', 6),
            QStringLiteral("-i"), QStringLiteral("file:") + mp4Path, QStringLiteral("-map"), QStringLiteral("0:v:0"),
            QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("png"),
            QStringLiteral("-f"), QStringLiteral("image2pipe"), QStringLiteral("pipe:1")};
}

QMap<QString, QString> SnapshotTexts(const SnapshotRequest& request)
{
    QMap<QString, QString> texts;
    texts.insert(QStringLiteral("Recording"), QString::fromStdString(EscapeCardText(request.recordingName.toStdString())));
    texts.insert(QStringLiteral("Position"), SnapshotClock(request.position100ns, QLatin1Char(':')));
    texts.insert(QStringLiteral("Software"), QStringLiteral("Korvane"));
    if (request.sample && request.sample->fixValid) {
        const TelemetrySample& s = *request.sample;
        texts.insert(QStringLiteral("Latitude"), QString::number(s.latitude, 'f', 6));
        texts.insert(QStringLiteral("Longitude"), QString::number(s.longitude, 'f', 6));
        if (s.speedKmh != NoSpeed && std::isfinite(s.speedKmh))
            texts.insert(QStringLiteral("Speed"), QString::number(SpeedInUnit(s.speedKmh, request.mph), 'f', 1) +
                                                       QLatin1String(SpeedUnitText(request.mph)));
        if (!s.dateTime.empty())
            texts.insert(QStringLiteral("Creation Time"), QString::fromStdString(EscapeCardText(s.dateTime)));
    }
    return texts;
}

bool InsideCard(const QString& folder, const QStringList& cardFolders)
{
    const QString target = Canonical(folder) + QLatin1Char('/');
    for (const QString& card : cardFolders) {
        if (card.isEmpty())
            continue;
        const QString root = Canonical(card);
        if (target.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/')))
            return true;
    }
    return false;
}

SnapshotTaker::SnapshotTaker(QObject* parent) : QObject(parent)
{
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        if (process_)
            process_->kill();   // finished() follows
    });
}

SnapshotTaker::~SnapshotTaker()
{
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(2000);
    }
}

void SnapshotTaker::Take(const SnapshotRequest& request)
{
    queue_.append(request);
    if (!process_)
        StartNext();
}

void SnapshotTaker::StartNext()
{
    while (!queue_.isEmpty() && !process_) {
        current_ = queue_.takeFirst();
        if (current_.toolPath.isEmpty()) {
            Fail(QStringLiteral("ffmpeg"));
            continue;
        }
        const QString input = ToolInputPath(current_.mp4Path, current_.workingFolder, kSnapshotLinkNumber);
        if (input.isEmpty()) {
            Fail(current_.mp4Path);
            continue;
        }
        process_ = new QProcess(this);
        process_->setProgram(current_.toolPath);
        process_->setArguments(SnapshotToolArguments(input, SnapshotSeekSeconds(current_.position100ns, current_.frame100ns)));
        process_->setStandardInputFile(QProcess::nullDevice());
        connect(process_, &QProcess::finished, this, &SnapshotTaker::ToolFinished);
        connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                ToolFinished();
        });
        timeout_.start(toolTimeoutMs);
        process_->start();
    }
}

void SnapshotTaker::ToolFinished()
{
    timeout_.stop();
    QProcess* process = process_;
    process_ = nullptr;
    process->disconnect(this);
    process->deleteLater();
    const bool ran = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0 &&
                     process->error() != QProcess::FailedToStart;
    const QByteArray png = ran ? process->readAllStandardOutput() : QByteArray();
    QImage frame;
    if (png.size() > 0 && png.size() <= kMaxPngBytes)
        frame = QImage::fromData(png, "PNG");
    if (frame.isNull()) {
        const QString error = QString::fromLocal8Bit(process->readAllStandardError()).section(QLatin1Char('\n'), 0, 0);
        qCWarning(lcPlayer) << "the snapshot tool gave no picture for" << current_.mp4Path << error;
        Fail(current_.toolPath);
        StartNext();
        return;
    }
    const QString folder = current_.outputFolder;
    if (folder.isEmpty() || InsideCard(folder, current_.cardFolders) || !QDir().mkpath(folder) ||
        InsideCard(folder, current_.cardFolders)) {
        qCWarning(lcPlayer) << "snapshots cannot be saved in" << folder;
        Fail(folder);
        StartNext();
        return;
    }
    const QMap<QString, QString> texts = SnapshotTexts(current_);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        frame.setText(it.key(), it.value());
    const QString path = folder + QLatin1Char('/') + SnapshotFileName(current_.stem, current_.position100ns);
    QSaveFile file(path);
    QImageWriter writer(&file, "png");
    if (!file.open(QIODevice::WriteOnly) || !writer.write(frame) || !file.commit()) {
        qCWarning(lcPlayer) << "the snapshot could not be written to" << path << file.errorString();
        Fail(path);
        StartNext();
        return;
    }
    emit saved(path);
    StartNext();
}

void SnapshotTaker::Fail(const QString& detail)
{
    emit failed(detail);
}

} // namespace korvane
