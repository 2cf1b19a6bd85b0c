#pragma once
// The copy job: copies listed recordings from a card folder into a backup folder.
//
// Each copy is written under a hidden temporary name in the backup folder (a leading dot and
// the suffix ".korvane-part"), flushed to the medium, then renamed onto the recording's name,
// so a recording's name in the backup folder always holds a whole copy. A failed or stopped
// copy removes its temporary file. Symbolic links are never followed: a listed name that is a
// link is not copied and is reported. The job checks the stop request between blocks of at
// most 8 MiB, so a stop takes effect within a fraction of a second even inside a large file.
#include "datamgmt/job_progress.h"

#include <QString>
#include <QStringList>

namespace korvane {

// Suffix of the temporary name of a copy in progress.
inline constexpr char kCopySuffix[] = ".korvane-part";
QString TemporaryCopyName(const QString& name);
// A bare file name: not empty, no "/", not "." or "..".
bool IsBareName(const QString& name);

// Copies `names` from `source` into `target` (an existing folder). An existing file of the same
// name in `target` is replaced. Counters and stop request in `progress`; every failure is in the
// outcome's errors and in the log. Runs on any thread.
JobOutcome CopyRecordings(const QString& source, const QString& target, const QStringList& names,
                          JobProgress& progress);

} // namespace korvane
