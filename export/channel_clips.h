#pragma once
// The other channels' clips of an export (rear, interior, ...): for every channel, the parts of
// its recordings that show the camera-clock span of the main clip's pieces. A channel's
// recording starts up to a couple of seconds after or before the main one's; the offset comes
// from the names and the track durations (core/channel_lead.h), so the channel clip's first
// picture is the one on screen at the main clip's first instant and its last picture the one on
// screen at the main clip's last instant, clamped to what the channel's recordings hold.
#include "core/expected.h"
#include "export/clip_plan.h"
#include "export/export_request.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvane {

struct ChannelPlan {
    QChar letter;
    QString fileName;               // "clip_R.MP4"
    std::vector<ClipPiece> pieces;  // in the order of the main pieces they follow
    std::int64_t startInClipUs = 0; // where its first picture starts on the main clip's time line
    std::int64_t durationUs = 0;    // what it shows
};

// The part [fromUs, toUs) of a channel's recording that shows the main recording's span
// [mainFromUs, mainToUs), the channel's recording starting `leadUs` after the main one's and
// lasting `channelEndUs`. False when the channel holds none of it.
bool ChannelSpan(std::int64_t mainFromUs, std::int64_t mainToUs, std::int64_t leadUs,
                 std::int64_t channelEndUs, std::int64_t& fromUs, std::int64_t& toUs);

// The pieces of channel recording `path` (frames `frames`) for the span [fromUs, toUs) that
// ChannelSpan gave: the picture on screen at fromUs through the one on screen just before toUs.
Expected<std::vector<ClipPiece>, ExportError> PlanChannelPiece(const QString& path, const RecordingFrames& frames,
                                                               std::int64_t fromUs, std::int64_t toUs);

// The channels' plans for the main clip's `pieces` (planned over range.recordings, whose frames
// are `mainFrames`). A channel recording that cannot be read or is damaged is logged and left
// out, as is a channel that holds none of the range; Stopped when `stopped` says so.
Expected<std::vector<ChannelPlan>, ExportError> PlanChannels(const ExportRange& range,
                                                             const std::vector<RecordingFrames>& mainFrames,
                                                             const std::vector<ClipPiece>& pieces,
                                                             const std::function<bool()>& stopped);

} // namespace korvane
