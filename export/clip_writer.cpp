#include "export/clip_writer.h"

#include "export/av_handles.h"
#include "export/export_log.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavcodec/avcodec.h>
}

#include <QString>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

namespace korvane {

namespace {


QString AvError(int rc)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(rc, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

ExportError Fail(ExportFailure kind, const std::string& path, const QString& why)
{
    ExportError e{kind, QString::fromStdString(path) + QStringLiteral(": ") + why};
    qCWarning(lcExport) << e.detail;
    return e;
}

bool Kept(AVMediaType t)
{
    return t == AVMEDIA_TYPE_VIDEO || t == AVMEDIA_TYPE_AUDIO || t == AVMEDIA_TYPE_SUBTITLE;
}

// Per output stream: the last time written, so that no stream goes back in time at a join.
struct StreamState {
    int output = -1;
    std::int64_t lastDts = INT64_MIN;
};

} // namespace

Expected<ClipWritten, ExportError> WriteLosslessClip(const std::vector<ClipPiece>& pieces,
                                                     const std::string& outPath, std::uint64_t extraMoovBytes,
                                                     ExportProgress& progress, int permilleFrom, int permilleTo)
{
    ClipWritten result;
    std::uint64_t totalBytes = 0;
    std::error_code ec;
    for (const ClipPiece& p : pieces)
        totalBytes += std::filesystem::file_size(p.path, ec);
    totalBytes = std::max<std::uint64_t>(totalBytes, 1);

    AVFormatContext* rawOut = nullptr;
    if (avformat_alloc_output_context2(&rawOut, nullptr, "mp4", outPath.c_str()) < 0)
        return Unexpected(Fail(ExportFailure::Unwritable, outPath, QStringLiteral("no MP4 muxer")));
    OutputPtr out(rawOut);
    std::unique_ptr<AVPacket, PacketDeleter> pkt(av_packet_alloc());

    std::vector<StreamState> streams;  // by input stream index (the first recording's layout)
    std::vector<AVMediaType> layout;
    std::vector<AVCodecID> codecs;
    std::uint64_t bytesBefore = 0;
    std::int64_t offsetUs = 0;           // where the current piece starts in the clip
    std::int64_t textBase = 0;           // clip time of the first text sample, microseconds
    int textWritten = 0;

    for (size_t pi = 0; pi < pieces.size(); ++pi) {
        const ClipPiece& piece = pieces[pi];
        AVFormatContext* rawIn = nullptr;
        if (avformat_open_input(&rawIn, piece.path.c_str(), nullptr, nullptr) < 0)
            return Unexpected(Fail(ExportFailure::Unreadable, piece.path, QStringLiteral("cannot be opened")));
        InputPtr in(rawIn);
        if (avformat_find_stream_info(in.get(), nullptr) < 0)
            return Unexpected(Fail(ExportFailure::BadInput, piece.path, QStringLiteral("not a readable MP4 recording")));
        const int video = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);

        if (pi == 0) {
            // The clip's tracks: the first recording's, in its order.
            streams.assign(in->nb_streams, {});
            for (unsigned i = 0; i < in->nb_streams; ++i) {
                const AVCodecParameters* par = in->streams[i]->codecpar;
                layout.push_back(par->codec_type);
                codecs.push_back(par->codec_id);
                if (!Kept(par->codec_type) ||
                    avformat_query_codec(out->oformat, par->codec_id, FF_COMPLIANCE_NORMAL) != 1) {
                    qCInfo(lcExport) << "stream" << i << "of" << piece.path.c_str() << "is not carried into the clip";
                    continue;
                }
                AVStream* os = avformat_new_stream(out.get(), nullptr);
                if (!os || avcodec_parameters_copy(os->codecpar, par) < 0)
                    return Unexpected(Fail(ExportFailure::Unwritable, outPath, QStringLiteral("out of memory")));
                os->codecpar->codec_tag = 0;
                os->time_base = in->streams[i]->time_base;
                // The muxer compares a text track's length (in its own units) with every packet's
                // time (in that packet's units) and closes the text with an empty sample when the
                // packet lies beyond it. Counted in microseconds the text never looks shorter than
                // the video or audio around it, so no empty samples come between the lines.
                if (par->codec_type == AVMEDIA_TYPE_SUBTITLE)
                    os->time_base = AVRational{1, 1000000};
                av_dict_copy(&os->metadata, in->streams[i]->metadata, 0);
                streams[i].output = os->index;
                if (par->codec_type == AVMEDIA_TYPE_SUBTITLE && result.textTrack < 0)
                    result.textTrack = os->index;
            }
            // Room for the movie box before the media data: a generous estimate from the number of
            // samples (about 16 bytes each in the tables), plus what is added afterwards.
            std::uint64_t samples = 0;
            for (const ClipPiece& p : pieces) {
                const double seconds = double(p.shownToUs - p.shownFromUs) / 1e6 + 2;
                samples += std::uint64_t(p.lastPacket - p.firstPacket + 1) + std::uint64_t(seconds * 60) + std::uint64_t(seconds * 10);
            }
            result.reservedBytes = 65536 + samples * 24 + extraMoovBytes;
            AVDictionary* opts = nullptr;
            av_dict_set_int(&opts, "moov_size", std::int64_t(result.reservedBytes), 0);
            out->avoid_negative_ts = AVFMT_AVOID_NEG_TS_DISABLED;
            if (const int rc = avio_open(&out->pb, outPath.c_str(), AVIO_FLAG_WRITE); rc < 0) {
                av_dict_free(&opts);
                return Unexpected(Fail(ExportFailure::Unwritable, outPath, AvError(rc)));
            }
            const int rc = avformat_write_header(out.get(), &opts);
            av_dict_free(&opts);
            if (rc < 0)
                return Unexpected(Fail(ExportFailure::Unwritable, outPath, AvError(rc)));
            textBase = piece.firstSample * kTenthUs - piece.shownFromUs;
        } else {
            // A following recording must have the same streams as the first.
            bool same = in->nb_streams == layout.size();
            for (unsigned i = 0; same && i < in->nb_streams; ++i)
                same = in->streams[i]->codecpar->codec_type == layout[i] && in->streams[i]->codecpar->codec_id == codecs[i];
            if (!same)
                return Unexpected(Fail(ExportFailure::BadInput, piece.path,
                                       QStringLiteral("its streams differ from the recording before it")));
        }

        const std::int64_t fileSize = std::max<std::int64_t>(avio_size(in->pb), 1);
        int videoIndex = -1;
        int textIndex = -1;
        int rc = 0;
        while ((rc = av_read_frame(in.get(), pkt.get())) >= 0) {
            if (progress.stopRequested.load())
                return Unexpected(ExportError{ExportFailure::Stopped, QStringLiteral("stopped")});
            const unsigned si = unsigned(pkt->stream_index);
            const AVStream* is = in->streams[si];
            const bool isVideo = int(si) == video;
            bool keep = false;
            if (si < streams.size() && streams[si].output >= 0 && pkt->pts != AV_NOPTS_VALUE) {
                const std::int64_t ptsUs = av_rescale_q(pkt->pts, is->time_base, AV_TIME_BASE_Q);
                const std::int64_t durUs = av_rescale_q(pkt->duration, is->time_base, AV_TIME_BASE_Q);
                const std::int64_t shift = av_rescale_q(offsetUs - piece.shownFromUs, AV_TIME_BASE_Q, is->time_base);
                if (isVideo) {
                    if (!(pkt->flags & AV_PKT_FLAG_DISCARD)) {
                        ++videoIndex;
                        keep = videoIndex >= piece.firstPacket && videoIndex <= piece.lastPacket;
                    }
                    if (keep) {
                        pkt->pts += shift;
                        pkt->dts = (pkt->dts == AV_NOPTS_VALUE ? pkt->pts : pkt->dts + shift);
                    }
                } else if (is->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE) {
                    // Text sample n stands for tenth n of its recording; in the clip they follow
                    // each other a tenth apart from the first one on.
                    // Other text tracks than the first are not the telemetry: they are left out.
                    if (streams[si].output == result.textTrack)
                        ++textIndex;
                    keep = streams[si].output == result.textTrack && textIndex >= piece.firstSample &&
                           textIndex < piece.endSample;
                    if (keep) {
                        const std::int64_t t = textBase + std::int64_t(textWritten) * kTenthUs;
                        pkt->pts = pkt->dts = av_rescale_q(t, AV_TIME_BASE_Q, is->time_base);
                        pkt->duration = av_rescale_q(kTenthUs, AV_TIME_BASE_Q, is->time_base);
                    }
                } else {
                    keep = ptsUs + std::max<std::int64_t>(durUs, 1) > piece.shownFromUs && ptsUs < piece.shownToUs;
                    if (keep) {
                        pkt->pts += shift;
                        pkt->dts = (pkt->dts == AV_NOPTS_VALUE ? pkt->pts : pkt->dts + shift);
                    }
                }
            }
            if (keep) {
                StreamState& st = streams[si];
                if (pkt->dts <= st.lastDts) {
                    keep = false;  // at a join: never back in time
                } else {
                    st.lastDts = pkt->dts;
                    if (is->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE)
                        ++textWritten;
                }
            }
            if (keep) {
                const int target = streams[si].output;
                pkt->stream_index = target;
                pkt->pos = -1;
                pkt->flags &= ~AV_PKT_FLAG_DISCARD;
                av_packet_rescale_ts(pkt.get(), is->time_base, out->streams[target]->time_base);
                if (const int w = av_interleaved_write_frame(out.get(), pkt.get()); w < 0)
                    return Unexpected(Fail(ExportFailure::Unwritable, outPath, AvError(w)));
            }
            av_packet_unref(pkt.get());
            const std::int64_t at = std::max<std::int64_t>(avio_tell(in->pb), 0);
            const double done = double(bytesBefore + std::uint64_t(std::min(at, fileSize))) / double(totalBytes);
            progress.permille.store(permilleFrom + int((permilleTo - permilleFrom) * std::min(done, 1.0)));
        }
        if (rc != AVERROR_EOF)
            return Unexpected(Fail(ExportFailure::BadInput, piece.path, QStringLiteral("damaged media data: ") + AvError(rc)));
        bytesBefore += std::uint64_t(fileSize);
        offsetUs += piece.shownToUs - piece.shownFromUs;
    }
    if (const int rc = av_write_trailer(out.get()); rc < 0)
        return Unexpected(Fail(ExportFailure::Unwritable, outPath, AvError(rc)));
    if (out->pb->error < 0)
        return Unexpected(Fail(ExportFailure::Unwritable, outPath, AvError(out->pb->error)));
    if (const int rc = avio_closep(&out->pb); rc < 0)
        return Unexpected(Fail(ExportFailure::Unwritable, outPath, AvError(rc)));
    result.textSamples = textWritten;
    result.durationUs = offsetUs;
    return result;
}

} // namespace korvane
