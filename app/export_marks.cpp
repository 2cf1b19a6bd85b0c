// The In and Out marks of an export; see export_marks.h.
#include "app/export_marks.h"

#include <algorithm>

#include "map/route_builder.h"

namespace korvane {

void ExportMarks::Opened(const QString& path, int group, std::int64_t durationUs)
{
    const qsizetype known = paths_.indexOf(path);
    if (known >= 0 && group == group_) {
        current_ = int(known);
        durations_[std::size_t(known)] = std::max<std::int64_t>(durationUs, 0);
        return;
    }
    if (!paths_.isEmpty() && group == group_ && IsNextMinuteRecording(path, paths_.last())) {
        paths_ << path;
        durations_.push_back(std::max<std::int64_t>(durationUs, 0));
        current_ = int(paths_.size()) - 1;
        return;
    }
    Clear();
    paths_ << path;
    durations_.push_back(std::max<std::int64_t>(durationUs, 0));
    group_ = group;
    current_ = 0;
}

void ExportMarks::Clear()
{
    paths_.clear();
    durations_.clear();
    group_ = -1;
    current_ = -1;
    in_.reset();
    out_.reset();
}

bool ExportMarks::Before(const MarkPosition& a, const MarkPosition& b)
{
    return a.recording < b.recording || (a.recording == b.recording && a.us < b.us);
}

void ExportMarks::SetIn(std::int64_t us)
{
    if (current_ < 0)
        return;
    in_ = MarkPosition{current_, std::clamp<std::int64_t>(us, 0, durations_[std::size_t(current_)])};
    if (out_ && !Before(*in_, *out_))
        out_.reset();
}

void ExportMarks::SetOut(std::int64_t us)
{
    if (current_ < 0)
        return;
    out_ = MarkPosition{current_, std::clamp<std::int64_t>(us, 0, durations_[std::size_t(current_)])};
    if (in_ && !Before(*in_, *out_))
        in_.reset();
}

std::optional<double> ExportMarks::FractionOnCurrent(const std::optional<MarkPosition>& mark) const
{
    if (!mark || current_ < 0)
        return std::nullopt;
    if (mark->recording < current_)
        return -1.0;
    if (mark->recording > current_)
        return 2.0;
    const std::int64_t length = durations_[std::size_t(current_)];
    return length > 0 ? double(mark->us) / double(length) : 0.0;
}

std::int64_t ExportMarks::Offset(int from, const MarkPosition& mark) const
{
    std::int64_t us = mark.us;
    for (int i = from; i < mark.recording; ++i)
        us += durations_[std::size_t(i)];
    return us;
}

std::optional<ExportRange> ExportMarks::Range() const
{
    if (current_ < 0)
        return std::nullopt;
    const int anchor = in_ ? in_->recording : out_ ? out_->recording : current_;
    const MarkPosition start = in_ ? *in_ : MarkPosition{anchor, 0};
    const int last = out_ ? out_->recording : anchor;
    ExportRange range;
    for (int i = start.recording; i <= last; ++i)
        range.recordings << paths_[i];
    range.inUs = start.us;
    range.outUs = out_ ? Offset(start.recording, *out_) : -1;
    return range;
}

} // namespace korvane
