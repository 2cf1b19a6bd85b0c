#pragma once
// The delete job: removes the listed recordings from the card folder and nothing else. Each
// name is looked up inside the folder the job opened; a folder of that name stays, and a
// symbolic link of that name is removed itself, never what it points to.
#include "datamgmt/job_progress.h"

namespace korvane {

// Deletes `names` from `folder`. `progress.total` and `progress.done` follow the job; the stop
// request is checked after each file. Runs on any thread.
JobOutcome DeleteRecordings(const QString& folder, const QStringList& names, JobProgress& progress);

} // namespace korvane
