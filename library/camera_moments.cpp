#include "library/camera_moments.h"
#include "library/catalogue.h"
#include "library/library_log.h"
#include "platform/file_name_bytes.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace korvane {
namespace fs = std::filesystem;

QChar CameraMoment::CellChannel() const
{
    for (QChar c : ChannelOrder(form))
        if (channels.contains(c))
            return c;
    return channels.isEmpty() ? QChar() : channels.firstKey();
}

QString CameraMoment::OtherLetters() const
{
    const QChar cell = CellChannel();
    QString out;
    for (QChar c : ChannelOrder(form))
        if (c != cell && channels.contains(c))
            out += c.toLower();
    for (auto it = channels.cbegin(); it != channels.cend(); ++it)
        if (it.key() != cell && !ChannelOrder(form).contains(it.key()))
            out += it.key().toLower();
    return out;
}

QList<OtherChannel> OtherChannelsOf(const CameraMoment& moment, const QString& relativePath)
{
    QList<OtherChannel> out;
    QChar own;
    for (auto it = moment.channels.cbegin(); it != moment.channels.cend(); ++it)
        if (it.value() == relativePath)
            own = it.key();
    if (own.isNull() || moment.channels.size() < 2)
        return out;
    const auto ownName = ParseFormName(relativePath);
    QString order = ChannelOrder(moment.form).toString();
    for (auto it = moment.channels.cbegin(); it != moment.channels.cend(); ++it)
        if (!order.contains(it.key()))
            order += it.key();
    for (QChar c : order) {
        if (c == own || !moment.channels.contains(c))
            continue;
        const QString path = moment.channels.value(c);
        const auto name = ParseFormName(path);
        out.append({c, path, ownName && name ? name->start - ownName->start : 0});
    }
    return out;
}

namespace {

struct Walk {
    QList<FormFile> files;
    QHash<QString, QString> sidecars;  // lower-case relative path -> relative path
    int entries = 0;
    bool truncated = false;
    QString rootLower;  // the scanned folder's own name, for an export folder opened by itself
};

bool IsSidecarName(const QString& lower)
{
    return lower.endsWith(QLatin1String(".gps")) || lower.endsWith(QLatin1String(".nmea"))
           || lower.endsWith(QLatin1String(".3gf"));
}

void WalkFolder(const fs::path& dir, const QString& relative, const QStringList& folders, int depth, Walk& walk,
                bool* listed)
{
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (listed)
        *listed = !ec;
    if (ec) {
        qCWarning(lcLibrary) << "cannot list" << relative << ":" << QString::fromStdString(ec.message());
        return;
    }
    QList<std::pair<fs::path, QString>> subfolders;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (++walk.entries > kMaxEntries) {
            walk.truncated = true;
            return;
        }
        const fs::directory_entry& entry = *it;
        const QString name = DecodeFileNameBytes(QByteArray::fromStdString(entry.path().filename().native()));
        if (name.startsWith(QLatin1Char('.')))
            continue;
        std::error_code sec;
        // Links are never followed: a card's link may lead anywhere, or round in a circle.
        if (entry.is_symlink(sec))
            continue;
        const QString path = relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
        if (entry.is_directory(sec)) {
            if (depth < kMaxDepth)
                subfolders.append({entry.path(), name});
            continue;
        }
        if (!entry.is_regular_file(sec))
            continue;
        const QString lower = name.toLower();
        if (IsSidecarName(lower)) {
            walk.sidecars.insert(path.toLower(), path);
            continue;
        }
        std::optional<FormName> form = ParseFormName(name, folders);
        if (!form && folders.isEmpty())
            form = ParseExportClip(name, walk.rootLower);
        if (!form)
            continue;
        const std::uintmax_t size = entry.file_size(sec);
        if (sec)
            continue;
        walk.files.append(FormFile{path, *form, size});
    }
    if (ec)
        qCWarning(lcLibrary) << "listing of" << relative << "broke off:" << QString::fromStdString(ec.message());
    for (const auto& [path, name] : subfolders) {
        QStringList inner = folders;
        inner.append(name.toLower());
        WalkFolder(path, relative.isEmpty() ? name : relative + QLatin1Char('/') + name, inner, depth + 1, walk,
                   nullptr);
        if (walk.truncated)
            return;
    }
}

QString WithoutExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return dot > slash ? path.left(dot) : path;
}

// The first side-car of the kinds `extensions` next to one of the moment's channels: named like
// the channel's file, or like it without its channel letter (shared by the channels).
QString FindSidecar(const CameraMoment& m, const QHash<QString, QString>& sidecars,
                    std::initializer_list<const char*> extensions)
{
    if (sidecars.isEmpty())
        return {};
    QStringList stems;
    const QString cell = WithoutExtension(m.CellName()).toLower();
    stems << cell << cell.left(cell.size() - 1);
    for (const QString& p : m.channels) {
        const QString s = WithoutExtension(p).toLower();
        stems << s << s.left(s.size() - 1);
    }
    for (const QString& stem : stems)
        for (const char* ext : extensions) {
            const auto it = sidecars.constFind(stem + QLatin1String(ext));
            if (it != sidecars.cend())
                return it.value();
        }
    return {};
}

QString PairFolderOf(const FormFile& f)
{
    if (f.name.mode != CameraMode::Saved && f.name.mode != CameraMode::Sentry)
        return {};
    return f.path.left(qMax<qsizetype>(0, f.path.lastIndexOf(QLatin1Char('/'))));
}

int ChannelRank(CameraForm form, QChar c)
{
    const qsizetype i = ChannelOrder(form).indexOf(c);
    return i < 0 ? 100 + c.unicode() : int(i);
}

} // namespace

void BuildMoments(QList<FormFile> files, CameraCard& card)
{
    // Time order; within one second the form's channel order, so that the front comes first.
    std::sort(files.begin(), files.end(), [](const FormFile& a, const FormFile& b) {
        if (a.name.start != b.name.start)
            return a.name.start < b.name.start;
        const int ra = ChannelRank(a.name.form, a.name.channel), rb = ChannelRank(b.name.form, b.name.channel);
        return ra != rb ? ra < rb : a.path < b.path;
    });
    QList<CameraMoment> moments;
    // Moments still open for pairing, by group, form and pair folder.
    QHash<QString, QList<int>> open;
    for (const FormFile& f : files) {
        const int group = GroupOfMode(f.name.mode);
        const QString key = QString::number(group) + QLatin1Char('|') + QString::number(int(f.name.form))
                            + QLatin1Char('|') + PairFolderOf(f);
        QList<int>& candidates = open[key];
        int best = -1;
        qint64 bestGap = kPairSeconds + 1;
        for (qsizetype k = candidates.size() - 1; k >= 0; --k) {
            const CameraMoment& m = moments[candidates[k]];
            const qint64 gap = f.name.start - m.start;
            if (gap > kPairSeconds)
                break;  // older moments are further away still
            if (!m.channels.contains(f.name.channel) && gap < bestGap) {
                best = candidates[k];
                bestGap = gap;
            }
        }
        if (best < 0) {
            CameraMoment m;
            m.form = f.name.form;
            m.mode = f.name.mode;
            m.start = f.name.start;
            m.pairFolder = PairFolderOf(f);
            best = int(moments.size());
            moments.append(m);
            candidates.append(best);
        }
        CameraMoment& m = moments[best];
        m.channels.insert(f.name.channel, f.path);
        m.bytes += f.bytes;
    }
    card.normal.clear();
    card.event.clear();
    // A moment starts with its earliest channel.
    for (const CameraMoment& m : moments)
        (m.Group() == kGroupNormal ? card.normal : card.event).append(m);
    auto byTime = [](const CameraMoment& a, const CameraMoment& b) {
        return a.start != b.start ? a.start < b.start : a.CellName() < b.CellName();
    };
    std::stable_sort(card.normal.begin(), card.normal.end(), byTime);
    std::stable_sort(card.event.begin(), card.event.end(), byTime);
}

CameraCard ScanCameraCard(const QString& folder)
{
    CameraCard card;
    Walk walk;
    walk.rootLower = QFileInfo(QDir::cleanPath(folder)).fileName().toLower();
    WalkFolder(fs::path(EncodeFileNameBytes(folder).toStdString()), QString(), QStringList(), 0, walk, &card.listed);
    card.truncated = walk.truncated;
    card.filesSeen = int(walk.files.size());
    if (walk.truncated)
        qCWarning(lcLibrary) << "the walk of" << folder << "stopped after" << kMaxEntries << "entries";
    BuildMoments(walk.files, card);
    for (QList<CameraMoment>* list : {&card.normal, &card.event})
        for (CameraMoment& m : *list) {
            m.gpsSidecar = FindSidecar(m, walk.sidecars, {".gps", ".nmea"});
            m.gSidecar = FindSidecar(m, walk.sidecars, {".3gf"});
        }
    return card;
}

} // namespace korvane
