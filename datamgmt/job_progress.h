#pragma once
// What a running copy or delete job shares with the thread that watches it: the counters the
// job writes and the stop request the watcher writes. Plain atomics, read at any time.
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <vector>

namespace korvane {

struct JobProgress {
    std::atomic<int> total{0};                // recordings the job covers
    std::atomic<int> done{0};                 // recordings attempted so far
    std::atomic<std::uint64_t> bytesTotal{0}; // copy job: bytes of the sources
    std::atomic<std::uint64_t> bytesDone{0};  // copy job: bytes written so far
    std::atomic<bool> stopRequested{false};

    void Reset()
    {
        total = 0;
        done = 0;
        bytesTotal = 0;
        bytesDone = 0;
        stopRequested = false;
    }
};

// One failure of a job, for the log and for the user.
struct JobError {
    QString name;    // the recording, or empty for the job as a whole
    QString reason;  // "No space left on device", ...
    QString Text() const { return name.isEmpty() ? reason : name + QStringLiteral(": ") + reason; }
};

struct JobOutcome {
    QStringList names;                     // the recordings the job covered, in order
    std::vector<std::int64_t> sourceSizes; // copy job: size of each source at the start, -1 unknown
    std::vector<JobError> errors;
    bool stopped = false;      // ended by a stop request
    bool sourceGone = false;   // the folder read from disappeared during the job
    bool targetGone = false;   // the folder written to disappeared during the job
};

// "a.MP4: reason (and 3 more)" for a message line; empty without errors.
QString SummarizeErrors(const std::vector<JobError>& errors);

} // namespace korvane
