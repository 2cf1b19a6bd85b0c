#include "library/recording_scan.h"
#include "library/catalogue.h"
#include "library/library_log.h"
#include "platform/file_name_bytes.h"

#include <QFile>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace korvane {
namespace fs = std::filesystem;

bool PassesNameRules(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return false;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0 || name.mid(dot).toUpper() != QLatin1String(".MP4"))
        return false;
    const QChar first = name.at(0);
    qsizetype want = 18;
    if (first == QLatin1Char('G') || first == QLatin1Char('H'))
        want = 19;
    else if (first == QLatin1Char('P'))
        want = (name.size() > 1 && name.at(1) == QLatin1Char('H')) ? 20 : 19;
    return name.size() == want;
}

bool InGroup(const QString& name, int group)
{
    if (group == kGroupNormal)
        return name.contains(QLatin1String("20")) && !name.contains(QLatin1String("G20"));
    if (group == kGroupEvent)
        return name.contains(QLatin1String("G20"));
    return true;
}

namespace {
// A name longer than 18 characters is stored with its last 18 characters (stamp and
// extension) first and its prefix last, so that the prefix does not take part in the order
// before the stamp does.
QString SortKey(const QString& name)
{
    if (name.size() < 19)
        return name;
    return name.right(18) + name.left(name.size() - 18);
}

QString NameFromKey(const QString& key)
{
    if (key.size() < 19)
        return key;
    return key.mid(18) + key.left(18);
}
} // namespace

void SortRecordingNames(QStringList& names)
{
    for (QString& n : names)
        n = SortKey(n);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;  // names differing only in case: a fixed order
    });
    for (QString& n : names)
        n = NameFromKey(n);
}

int ScanRecordings(const QString& folder, int group, QStringList& list, std::uint64_t& total,
                   bool* listed)
{
    list.clear();
    total = 0;
    std::error_code ec;
    fs::directory_iterator it(fs::path(EncodeFileNameBytes(folder).toStdString()), ec);
    if (listed)
        *listed = !ec;
    if (ec) {
        qCWarning(lcLibrary) << "cannot list" << folder << ":" << QString::fromStdString(ec.message());
        return 0;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        // Kept as bytes (DecodeFileNameBytes), so a name that is not UTF-8 still names its file.
        const QString name = DecodeFileNameBytes(QByteArray::fromStdString(entry.path().filename().native()));
        // Hidden entries (leading dot) and directories are never recordings.
        if (name.startsWith(QLatin1Char('.')) || !PassesNameRules(name) || !InGroup(name, group))
            continue;
        std::error_code sec;
        if (entry.is_directory(sec) || !entry.is_regular_file(sec))
            continue;
        const std::uintmax_t size = entry.file_size(sec);
        if (sec)
            continue;
        total += size;
        list.append(name);
    }
    if (ec) {
        qCWarning(lcLibrary) << "listing of" << folder << "broke off:" << QString::fromStdString(ec.message());
        if (listed)
            *listed = false;  // the listing broke off part way
    }
    SortRecordingNames(list);
    return int(list.size());
}

} // namespace korvane
