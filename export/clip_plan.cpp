#include "export/clip_plan.h"

#include "export/av_handles.h"
#include "export/export_log.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QString>
#include <algorithm>
#include <fstream>
#include <memory>

namespace korvane {

namespace {


ExportError Fail(ExportFailure kind, const std::string& path, const QString& why)
{
    ExportError e{kind, QString::fromStdString(path) + QStringLiteral(": ") + why};
    qCWarning(lcExport) << e.detail;
    return e;
}

} // namespace

Expected<RecordingFrames, ExportError> ReadVideoFrames(const std::string& path)
{
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        // A file that reads but does not open as a movie is damaged (or no recording at all).
        if (std::ifstream(path, std::ios::binary).good())
            return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("not a complete MP4 recording")));
        return Unexpected(Fail(ExportFailure::Unreadable, path, QStringLiteral("cannot be opened")));
    }
    InputPtr in(raw);
    if (avformat_find_stream_info(in.get(), nullptr) < 0)
        return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("not a readable MP4 recording")));
    const int video = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0)
        return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("has no video")));
    AVStream* st = in->streams[video];
    const AVRational tb = st->time_base;
    RecordingFrames out;
    // Without reordered pictures the demuxer's index (from the sample tables) holds every frame's
    // time and key flag, so nothing of the media data needs reading.
    const int entries = avformat_index_get_entries_count(st);
    if (st->codecpar->video_delay == 0 && entries > 0) {
        for (int i = 0; i < entries; ++i) {
            const AVIndexEntry* e = avformat_index_get_entry(st, i);
            if (e->flags & AVINDEX_DISCARD_FRAME)
                continue;  // left out by the recording's own edit list
            VideoFrame f;
            f.ptsUs = av_rescale_q(e->timestamp, tb, AV_TIME_BASE_Q);
            f.key = e->flags & AVINDEX_KEYFRAME;
            out.frames.push_back(f);
        }
        const std::int64_t endUs = st->duration > 0 ? av_rescale_q(st->start_time == AV_NOPTS_VALUE ? st->duration
                                                                  : st->start_time + st->duration, tb, AV_TIME_BASE_Q)
                                                    : 0;
        for (size_t i = 0; i < out.frames.size(); ++i) {
            VideoFrame& f = out.frames[i];
            if (i + 1 < out.frames.size())
                f.durationUs = out.frames[i + 1].ptsUs - f.ptsUs;
            else  // the last frame lasts to the stream's end, or as long as the one before it
                f.durationUs = endUs > f.ptsUs ? endUs - f.ptsUs : (i > 0 ? out.frames[i - 1].durationUs : 0);
            out.endUs = std::max(out.endUs, f.ptsUs + f.durationUs);
        }
    } else {
        for (unsigned i = 0; i < in->nb_streams; ++i)
            in->streams[i]->discard = int(i) == video ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        AVPacket* pkt = av_packet_alloc();
        int rc = 0;
        while ((rc = av_read_frame(in.get(), pkt)) >= 0) {
            if (pkt->stream_index == video && pkt->pts != AV_NOPTS_VALUE && !(pkt->flags & AV_PKT_FLAG_DISCARD)) {
                VideoFrame f;
                f.ptsUs = av_rescale_q(pkt->pts, tb, AV_TIME_BASE_Q);
                f.durationUs = av_rescale_q(pkt->duration, tb, AV_TIME_BASE_Q);
                f.key = pkt->flags & AV_PKT_FLAG_KEY;
                out.frames.push_back(f);
                out.endUs = std::max(out.endUs, f.ptsUs + f.durationUs);
            }
            av_packet_unref(pkt);
        }
        av_packet_free(&pkt);
        if (rc != AVERROR_EOF)
            return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("damaged media data")));
    }
    if (out.frames.empty() || !out.frames.front().key)
        return Unexpected(Fail(ExportFailure::BadInput, path, QStringLiteral("has no decodable video")));
    return out;
}

void SampleSpan(std::int64_t fromUs, std::int64_t toUs, int granularity, int& first, int& end)
{
    const std::int64_t step = kTenthUs * std::max(granularity, 1);
    first = int(std::max<std::int64_t>(fromUs, 0) / step) * std::max(granularity, 1);
    end = int((std::max<std::int64_t>(toUs, 0) + step - 1) / step) * std::max(granularity, 1);
}

Expected<std::vector<ClipPiece>, ExportError> PlanPieces(const ExportRange& range,
                                                         const std::vector<RecordingFrames>& frames)
{
    const int n = int(frames.size());
    if (n == 0 || range.recordings.size() != qsizetype(n))
        return Unexpected(ExportError{ExportFailure::BadInput, QStringLiteral("no recordings")});
    // In and Out as (recording, time into it).
    std::int64_t total = 0;
    for (const RecordingFrames& f : frames)
        total += f.endUs;
    const std::int64_t out = range.outUs < 0 ? total : range.outUs;
    if (range.inUs < 0 || range.inUs >= total || out > total || out <= range.inUs) {
        return Unexpected(ExportError{ExportFailure::BadInput,
                                      QStringLiteral("range %1..%2 s outside the recordings (%3 s)")
                                          .arg(range.inUs / 1e6).arg(out / 1e6).arg(total / 1e6)});
    }
    std::vector<ClipPiece> pieces;
    std::int64_t start = 0;
    for (int r = 0; r < n; ++r) {
        const RecordingFrames& rf = frames[size_t(r)];
        const std::int64_t end = start + rf.endUs;
        if (range.inUs >= end || out <= start) {
            start = end;
            continue;
        }
        const bool first = pieces.empty();
        const std::int64_t localIn = first ? range.inUs - start : 0;
        const std::int64_t localOut = out >= end ? -1 : out - start;  // -1: to the end
        ClipPiece p;
        p.path = range.recordings[r].toStdString();
        // The pictures shown: the one on screen at In through the one on screen at Out.
        int inFrame = -1, outFrame = -1;
        for (int i = 0; i < int(rf.frames.size()); ++i) {
            const VideoFrame& f = rf.frames[size_t(i)];
            if (f.ptsUs <= localIn && (inFrame < 0 || f.ptsUs > rf.frames[size_t(inFrame)].ptsUs))
                inFrame = i;
            const bool shownByOut = localOut < 0 || f.ptsUs <= localOut;
            if (shownByOut && (outFrame < 0 || f.ptsUs > rf.frames[size_t(outFrame)].ptsUs))
                outFrame = i;
        }
        if (inFrame < 0)
            inFrame = 0;
        if (outFrame < 0)
            outFrame = inFrame;
        p.shownFromUs = rf.frames[size_t(inFrame)].ptsUs;
        const VideoFrame& last = rf.frames[size_t(outFrame)];
        p.shownToUs = localOut < 0 ? rf.endUs : last.ptsUs + last.durationUs;
        // Decoding starts at the key frame before every picture shown; it runs until every
        // picture shown has been decoded.
        int earliest = int(rf.frames.size()), latest = 0;
        for (int i = 0; i < int(rf.frames.size()); ++i) {
            const std::int64_t t = rf.frames[size_t(i)].ptsUs;
            if (t >= p.shownFromUs && t < p.shownToUs) {
                earliest = std::min(earliest, i);
                latest = std::max(latest, i);
            }
        }
        if (earliest > latest)
            return Unexpected(ExportError{ExportFailure::BadInput, QStringLiteral("no picture in the range")});
        int key = earliest;
        while (key > 0 && !rf.frames[size_t(key)].key)
            --key;
        p.firstPacket = key;
        p.lastPacket = latest;
        pieces.push_back(p);
        start = end;
        if (localOut >= 0)
            break;
    }
    return pieces;
}

} // namespace korvane
