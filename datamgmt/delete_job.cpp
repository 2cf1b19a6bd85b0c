#include "datamgmt/delete_job.h"

#include "datamgmt/copy_job.h"
#include "datamgmt/datamgmt_log.h"
#include "datamgmt/posix_files.h"

#include <cerrno>

namespace korvane {
namespace fsx = posixfs;

JobOutcome DeleteRecordings(const QString& folder, const QStringList& names, JobProgress& progress)
{
    JobOutcome out;
    out.names = names;
    progress.total = int(names.size());
    progress.done = 0;
    auto fail = [&](const QString& name, const QString& reason) {
        out.errors.push_back({name, reason});
        qCWarning(lcDataMgmt) << "delete" << (name.isEmpty() ? folder : name) << ":" << reason;
    };

    int error = 0;
    fsx::Fd dir = fsx::OpenFolder(folder, &error);
    if (!dir.valid()) {
        out.sourceGone = !fsx::IsFolder(folder);
        fail({}, QStringLiteral("cannot open %1: %2").arg(folder, fsx::ErrorText(error)));
        return out;
    }
    for (const QString& name : names) {
        const int result = IsBareName(name) ? fsx::RemoveFileAt(dir.get(), name) : EINVAL;
        progress.done += 1;
        if (result != 0 && result != ENOENT) {
            fail(name, result == EISDIR ? QStringLiteral("a folder, not deleted") : fsx::ErrorText(result));
            if (!fsx::IsFolder(folder)) {
                out.sourceGone = true;
                fail({}, QStringLiteral("the card folder %1 is gone").arg(folder));
                break;
            }
        }
        if (progress.stopRequested.load()) {
            out.stopped = true;
            break;
        }
    }
    return out;
}

} // namespace korvane
