#include "datamgmt/listed_files.h"

#include "datamgmt/copy_job.h"
#include "datamgmt/posix_files.h"

namespace korvane {
namespace fsx = posixfs;

bool AnyListedFileIn(const QString& folder, const QStringList& names)
{
    fsx::Fd dir = fsx::OpenFolder(folder, nullptr);
    if (!dir.valid())
        return false;
    for (const QString& name : names) {
        if (!IsBareName(name))
            continue;
        const fsx::EntryType t = fsx::TypeAt(dir.get(), name);
        if (t != fsx::EntryType::Missing && t != fsx::EntryType::Folder)
            return true;
    }
    return false;
}

QStringList MissingFrom(const QString& folder, const QStringList& names,
                        const std::vector<std::int64_t>& sizes)
{
    fsx::Fd dir = fsx::OpenFolder(folder, nullptr);
    QStringList missing;
    for (qsizetype i = 0; i < names.size(); ++i) {
        std::int64_t size = -1;
        const std::int64_t want = std::size_t(i) < sizes.size() ? sizes[std::size_t(i)] : -1;
        const bool whole = dir.valid() && IsBareName(names[i])
            && fsx::TypeAt(dir.get(), names[i], &size) == fsx::EntryType::File
            && want >= 0 && size == want;
        if (!whole)
            missing.append(names[i]);
    }
    return missing;
}

} // namespace korvane
