#include "export/channel_clips.h"

#include "core/channel_lead.h"
#include "export/export_log.h"

#include <algorithm>

namespace korvane {

void AddChannelRecording(ExportRange& range, int index, QChar letter, const QString& path,
                         std::int64_t namedLeadSeconds)
{
    if (index < 0 || index >= range.recordings.size() || path.isEmpty())
        return;
    letter = letter.toUpper();
    auto it = std::find_if(range.channels.begin(), range.channels.end(),
                           [letter](const ExportChannel& c) { return c.letter == letter; });
    if (it == range.channels.end()) {
        range.channels.append(ExportChannel{letter, {}});
        it = range.channels.end() - 1;
    }
    it->sources.resize(range.recordings.size());
    it->sources[index] = ExportChannelSource{path, namedLeadSeconds};
}

bool ChannelSpan(std::int64_t mainFromUs, std::int64_t mainToUs, std::int64_t leadUs,
                 std::int64_t channelEndUs, std::int64_t& fromUs, std::int64_t& toUs)
{
    fromUs = std::max<std::int64_t>(mainFromUs - leadUs, 0);
    toUs = std::min<std::int64_t>(mainToUs - leadUs, channelEndUs);
    return toUs > fromUs;
}

Expected<std::vector<ClipPiece>, ExportError> PlanChannelPiece(const QString& path, const RecordingFrames& frames,
                                                               std::int64_t fromUs, std::int64_t toUs)
{
    // Out is the last instant shown (the picture on screen then is taken whole); to the end of
    // the recording, the whole of its last picture.
    ExportRange part{{path}, fromUs, toUs >= frames.endUs ? -1 : std::max(toUs - 1, fromUs + 1), {}};
    return PlanPieces(part, {frames});
}

Expected<std::vector<ChannelPlan>, ExportError> PlanChannels(const ExportRange& range,
                                                             const std::vector<RecordingFrames>& mainFrames,
                                                             const std::vector<ClipPiece>& pieces,
                                                             const std::function<bool()>& stopped)
{
    std::vector<ChannelPlan> plans;
    for (const ExportChannel& channel : range.channels) {
        ChannelPlan plan;
        plan.letter = channel.letter.toUpper();
        if (!plan.letter.isLetter() || plan.letter.unicode() > 0x7f) {
            qCWarning(lcExport) << "channel" << channel.letter << "left out: not a channel letter";
            continue;
        }
        plan.fileName = QStringLiteral("clip_") + plan.letter + QStringLiteral(".MP4");
        std::int64_t clipAt = 0;  // the main piece's start on the clip's time line
        for (const ClipPiece& main : pieces) {
            const std::int64_t mainLength = main.shownToUs - main.shownFromUs;
            const int r = int(range.recordings.indexOf(QString::fromStdString(main.path)));
            const ExportChannelSource source = r >= 0 && r < channel.sources.size() ? channel.sources[r]
                                                                                    : ExportChannelSource{};
            if (source.path.isEmpty()) {
                clipAt += mainLength;
                continue;
            }
            if (stopped())
                return Unexpected(ExportError{ExportFailure::Stopped, QStringLiteral("stopped")});
            auto frames = ReadVideoFrames(source.path.toStdString());
            if (!frames) {
                qCWarning(lcExport) << "channel" << plan.letter << "left out of" << main.path.c_str() << ":"
                                    << frames.error().detail;
                clipAt += mainLength;
                continue;
            }
            const std::int64_t lead = ChannelLead({0, mainFrames[size_t(r)].endUs * 10},
                                                  {source.namedLeadSeconds, frames->endUs * 10}) / 10;
            std::int64_t from = 0, to = 0;
            if (!ChannelSpan(main.shownFromUs, main.shownToUs, lead, frames->endUs, from, to)) {
                qCInfo(lcExport) << "channel" << plan.letter << "of" << main.path.c_str() << "holds none of the range";
                clipAt += mainLength;
                continue;
            }
            auto part = PlanChannelPiece(source.path, *frames, from, to);
            if (!part) {
                qCWarning(lcExport) << "channel" << plan.letter << "left out of" << main.path.c_str() << ":"
                                    << part.error().detail;
                clipAt += mainLength;
                continue;
            }
            for (ClipPiece& p : *part) {
                // The channel's own timed text, if it has any, goes along for the same tenths.
                SampleSpan(p.shownFromUs, p.shownToUs, 1, p.firstSample, p.endSample);
                if (plan.pieces.empty())
                    plan.startInClipUs = clipAt + p.shownFromUs + lead - main.shownFromUs;
                plan.durationUs += p.shownToUs - p.shownFromUs;
                plan.pieces.push_back(p);
            }
            clipAt += mainLength;
        }
        if (plan.pieces.empty()) {
            qCInfo(lcExport) << "channel" << plan.letter << "holds none of the range: no clip";
            continue;
        }
        plans.push_back(std::move(plan));
    }
    return plans;
}

} // namespace korvane
