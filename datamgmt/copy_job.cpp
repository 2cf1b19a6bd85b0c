#include "datamgmt/copy_job.h"

#include "datamgmt/datamgmt_log.h"
#include "datamgmt/posix_files.h"

#include <cerrno>

namespace korvane {
namespace fsx = posixfs;

QString TemporaryCopyName(const QString& name)
{
    return QLatin1Char('.') + name + QLatin1String(kCopySuffix);
}

bool IsBareName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QString SummarizeErrors(const std::vector<JobError>& errors)
{
    if (errors.empty())
        return {};
    QString text = errors.front().Text();
    if (errors.size() > 1)
        text += QStringLiteral(" (and %1 more)").arg(errors.size() - 1);
    return text;
}

namespace {

QString CopyFailure(int error)
{
    switch (error) {
    case ELOOP: return QStringLiteral("symbolic link, not copied");
    case EINVAL: return QStringLiteral("not a regular file, not copied");
    default: return fsx::ErrorText(error);
    }
}

} // namespace

JobOutcome CopyRecordings(const QString& source, const QString& target, const QStringList& names,
                          JobProgress& progress)
{
    JobOutcome out;
    out.names = names;
    out.sourceSizes.assign(std::size_t(names.size()), -1);
    progress.total = int(names.size());
    progress.done = 0;
    progress.bytesDone = 0;

    auto fail = [&](const QString& name, const QString& reason) {
        out.errors.push_back({name, reason});
        qCWarning(lcDataMgmt) << "copy" << (name.isEmpty() ? source : name) << "->" << target << ":" << reason;
    };

    int error = 0;
    fsx::Fd src = fsx::OpenFolder(source, &error);
    if (!src.valid()) {
        fail({}, QStringLiteral("cannot open %1: %2").arg(source, fsx::ErrorText(error)));
        out.sourceGone = !fsx::IsFolder(source);
        return out;
    }
    fsx::Fd dst = fsx::OpenFolder(target, &error);
    if (!dst.valid()) {
        fail({}, QStringLiteral("cannot open %1: %2").arg(target, fsx::ErrorText(error)));
        out.targetGone = !fsx::IsFolder(target);
        return out;
    }

    // The sizes the verdict compares with, taken before anything is copied.
    std::uint64_t bytesTotal = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        std::int64_t size = -1;
        if (IsBareName(names[i]) && fsx::TypeAt(src.get(), names[i], &size) == fsx::EntryType::File) {
            out.sourceSizes[std::size_t(i)] = size;
            bytesTotal += std::uint64_t(size);
        }
    }
    progress.bytesTotal = bytesTotal;

    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        const int result = IsBareName(name)
            ? fsx::CopyFileAt(src.get(), dst.get(), name, TemporaryCopyName(name),
                              progress.stopRequested, progress.bytesDone)
            : EINVAL;
        progress.done += 1;
        if (result == ECANCELED || progress.stopRequested.load()) {
            out.stopped = true;
            break;
        }
        if (result == 0)
            continue;
        fail(name, CopyFailure(result));
        if (!fsx::IsFolder(source)) {
            out.sourceGone = true;
            fail({}, QStringLiteral("the card folder %1 is gone").arg(source));
            break;
        }
        if (!fsx::IsFolder(target)) {
            out.targetGone = true;
            fail({}, QStringLiteral("the backup folder %1 is gone").arg(target));
            break;
        }
    }
    if (const int e = fsx::SyncFolder(dst.get()); e != 0 && !out.targetGone)
        fail({}, QStringLiteral("cannot flush %1: %2").arg(target, fsx::ErrorText(e)));
    return out;
}

} // namespace korvane
