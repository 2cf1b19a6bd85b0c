#pragma once
// The In and Out marks of an export. They live on a run of consecutive recordings of one group:
// opening the recording that follows the last of the run a minute later (what continuous play
// does, by the same neighbouring-minute rule the route history uses) extends the run and keeps
// the marks; opening any other recording starts a new run without marks. Positions are kept as
// a recording of the run and microseconds into it, so a mark set in one recording still holds
// while the next one plays. Plain logic: no widget, no player.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "export/export_request.h"

namespace korvane {

struct MarkPosition {
    int recording = 0;          // index into the run
    std::int64_t us = 0;        // microseconds from that recording's start
};

class ExportMarks {
public:
    // A recording is shown: `group` is its grid (1 Normal, 0 Event), `durationUs` its length.
    // One already in the run becomes the current one; the minute after the run's last one
    // (same group) joins the run; anything else starts a new run and clears both marks.
    void Opened(const QString& path, int group, std::int64_t durationUs);
    // Every recording closed (a new folder): no run, no marks.
    void Clear();

    // In or Out at a position of the current recording. A mark that would put In after Out
    // clears the other one, so the marks never describe an empty or inverted range.
    void SetIn(std::int64_t us);
    void SetOut(std::int64_t us);

    const std::optional<MarkPosition>& In() const { return in_; }
    const std::optional<MarkPosition>& Out() const { return out_; }
    bool HasMarks() const { return in_.has_value() || out_.has_value(); }
    int Current() const { return current_; }
    const QStringList& Run() const { return paths_; }

    // Where a mark falls on the current recording, as a fraction of its length: below 0 when it
    // lies in an earlier recording of the run, above 1 in a later one; none without the mark.
    std::optional<double> FractionOnCurrent(const std::optional<MarkPosition>& mark) const;

    // The range to export: from In (else the start of Out's recording, else of the current one)
    // to Out (else the end of In's recording, else of the current one), across the run's
    // recordings between the two, with both ends in microseconds from the first one's start.
    // None when no recording is shown.
    std::optional<ExportRange> Range() const;

private:
    std::int64_t Offset(int from, const MarkPosition& mark) const;  // us from recording `from`'s start
    static bool Before(const MarkPosition& a, const MarkPosition& b);

    QStringList paths_;
    std::vector<std::int64_t> durations_;
    int group_ = -1;
    int current_ = -1;
    std::optional<MarkPosition> in_, out_;
};

} // namespace korvane
