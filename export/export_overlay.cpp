// The overlay clip; see export_overlay.h. Each recording of the range is read in turn: its video
// is decoded from the key frame before In, the frames before In and from Out on are dropped, the
// band is painted into the bottom rows of every kept frame (only those rows go through RGB and
// back) and the frame is encoded; its audio packets in the range are copied with their times
// moved to the clip's. A stop is looked at before every frame.
#include "export/export_overlay.h"
#include "export/av_handles.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLoggingCategory>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>
#include <vector>

#include "mp4parse/load_telemetry.h"
#include "mp4parse/sample_index.h"
#include "telemetry_band/readout_band.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace korvane {
namespace {

Q_LOGGING_CATEGORY(lcOverlay, "korvane.export.overlay")

constexpr AVRational kMicro{1, 1000000};
// Sound this far before In is kept until the first picture says where the clip starts.
constexpr std::int64_t kFrameSlackUs = 200000;

ExportError Fail(ExportFailure kind, const QString& detail)
{
    qCWarning(lcOverlay) << "overlay clip:" << detail;
    return ExportError{kind, detail};
}

QString AvText(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

struct SwsDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;

// One recording of the range, opened.
struct Source {
    QString path;
    InputPtr format;
    int video = -1;
    int audio = -1;
    std::int64_t startUs = 0;      // the video stream's first time
    std::int64_t durationUs = 0;
    std::int64_t offsetUs = 0;     // where it starts in the range's time line
    std::vector<std::string> lines;
    std::unique_ptr<TelemetryTrack> track;
};

Expected<Source, ExportError> OpenSource(const QString& path)
{
    Source s;
    s.path = path;
    AVFormatContext* raw = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (int rc = avformat_open_input(&raw, name.constData(), nullptr, nullptr); rc < 0)
        return Unexpected(Fail(ExportFailure::Unreadable, path + QStringLiteral(": ") + AvText(rc)));
    s.format.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return Unexpected(Fail(ExportFailure::BadInput, path + QStringLiteral(": no stream information")));
    s.video = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    s.audio = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (s.video < 0 || raw->duration <= 0 || raw->duration == AV_NOPTS_VALUE)
        return Unexpected(Fail(ExportFailure::BadInput, path + QStringLiteral(": no video or no duration")));
    const AVStream* v = raw->streams[s.video];
    s.startUs = v->start_time == AV_NOPTS_VALUE ? 0 : av_rescale_q(v->start_time, v->time_base, kMicro);
    s.durationUs = raw->duration;
    // The band's values come from the recording's own telemetry; a recording without any has
    // a band of dashes.
    s.track = std::make_unique<TelemetryTrack>();
    s.track->Clear();
    try {
        Mp4Parser parser;
        bool gpsSeen = false;
        LoadTelemetry(name.toStdString(), std::string(), parser, s.lines, *s.track, gpsSeen);
    } catch (...) {
        qCInfo(lcOverlay) << "no telemetry for the band in" << path;
        s.lines.clear();
        s.track->Clear();
    }
    return s;
}

// The band's rows of a YUV 4:2:0 picture, converted to RGB for the painter and back.
class BandStrip {
public:
    bool Init(int width, int height, AVPixelFormat format)
    {
        width_ = width;
        bandHeight_ = BandHeight(height);
        top_ = (height - bandHeight_) & ~1;
        bandHeight_ = height - top_;
        toRgb_.reset(sws_getContext(width, bandHeight_, format, width, bandHeight_, AV_PIX_FMT_BGRA, SWS_POINT,
                                    nullptr, nullptr, nullptr));
        fromRgb_.reset(sws_getContext(width, bandHeight_, AV_PIX_FMT_BGRA, width, bandHeight_, format, SWS_POINT,
                                      nullptr, nullptr, nullptr));
        image_ = QImage(width, bandHeight_, QImage::Format_RGB32);
        return toRgb_ && fromRgb_ && !image_.isNull();
    }

    void Paint(AVFrame& frame, const BandValues& values)
    {
        const uint8_t* src[4] = {};
        uint8_t* dst[4] = {};
        for (int p = 0; p < 3; ++p) {
            const int rows = p == 0 ? top_ : top_ / 2;
            dst[p] = frame.data[p] + std::ptrdiff_t(rows) * frame.linesize[p];
            src[p] = dst[p];
        }
        uint8_t* rgb[4] = {image_.bits(), nullptr, nullptr, nullptr};
        int rgbStride[4] = {int(image_.bytesPerLine()), 0, 0, 0};
        sws_scale(toRgb_.get(), src, frame.linesize, 0, bandHeight_, rgb, rgbStride);
        PaintReadoutBand(image_, values);
        const uint8_t* back[4] = {image_.constBits(), nullptr, nullptr, nullptr};
        sws_scale(fromRgb_.get(), back, rgbStride, 0, bandHeight_, dst, frame.linesize);
    }

private:
    int width_ = 0, top_ = 0, bandHeight_ = 0;
    SwsPtr toRgb_, fromRgb_;
    QImage image_;
};

class OverlayWriter {
public:
    OverlayWriter(const ExportRange& range, bool mph, ExportProgress& progress, const OverlayEncoding& encoding)
        : range_(range), mph_(mph), progress_(progress), encoding_(encoding)
    {
    }
    ~OverlayWriter() { CloseOutput(); }

    Expected<void, ExportError> Run(const QString& outPath);

private:
    Expected<void, ExportError> OpenOutput(const QString& tempPath, const Source& first, const AVCodecContext& decoder);
    Expected<void, ExportError> CopyRecording(Source& source);
    Expected<void, ExportError> EncodeFrame(AVFrame* frame);
    Expected<void, ExportError> Write(AVPacket* packet, int outStream);
    // The sound held back, once the clip's start is known: from the start on, moved to clip time.
    Expected<void, ExportError> WriteAudio();
    void CloseOutput();

    const ExportRange& range_;
    bool mph_;
    ExportProgress& progress_;
    OverlayEncoding encoding_;
    std::int64_t inUs_ = 0, outUs_ = 0;
    AVFormatContext* out_ = nullptr;
    bool headerWritten_ = false;
    CodecPtr encoder_;
    int outVideo_ = -1, outAudio_ = -1;
    AVRational audioInBase_{1, 1};
    BandStrip band_;
    PacketPtr packet_{av_packet_alloc()};
    std::int64_t framesWritten_ = 0;
    std::int64_t startUs_ = -1;   // the first picture's start on the range's time line
    std::int64_t lastAudioUs_ = INT64_MIN;
    std::vector<std::pair<PacketPtr, std::int64_t>> pendingAudio_;   // packet, its time on that line
};

Expected<void, ExportError> OverlayWriter::Run(const QString& outPath)
{
    if (range_.recordings.isEmpty())
        return Unexpected(Fail(ExportFailure::BadInput, QStringLiteral("no recording")));
    std::vector<Source> sources;
    std::int64_t total = 0;
    for (const QString& path : range_.recordings) {
        auto opened = OpenSource(path);
        if (!opened)
            return Unexpected(opened.error());
        opened->offsetUs = total;
        total += opened->durationUs;
        sources.push_back(std::move(*opened));
    }
    inUs_ = range_.inUs;
    outUs_ = range_.outUs < 0 ? total : range_.outUs;
    if (inUs_ < 0 || outUs_ <= inUs_ || outUs_ > total)
        return Unexpected(Fail(ExportFailure::BadInput, QStringLiteral("range %1..%2 us outside the recordings (%3 us)")
                                                            .arg(inUs_).arg(outUs_).arg(total)));

    const QFileInfo target(outPath);
    const QString tempPath = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".part");
    auto result = [&]() -> Expected<void, ExportError> {
        for (Source& s : sources) {
            if (s.offsetUs + s.durationUs <= inUs_ || s.offsetUs >= outUs_)
                continue;
            if (!out_) {
                // The clip takes the picture size and the audio of the first recording used.
                const AVCodecParameters* par = s.format->streams[s.video]->codecpar;
                CodecPtr probe(avcodec_alloc_context3(avcodec_find_decoder(par->codec_id)));
                if (!probe || avcodec_parameters_to_context(probe.get(), par) < 0)
                    return Unexpected(Fail(ExportFailure::BadInput, s.path + QStringLiteral(": no decoder")));
                if (auto opened = OpenOutput(tempPath, s, *probe); !opened)
                    return opened;
            }
            if (auto copied = CopyRecording(s); !copied)
                return copied;
        }
        if (auto flushed = EncodeFrame(nullptr); !flushed)
            return flushed;
        if (int rc = av_write_trailer(out_); rc < 0)
            return Unexpected(Fail(ExportFailure::Unwritable, tempPath + QStringLiteral(": ") + AvText(rc)));
        if (int rc = avio_closep(&out_->pb); rc < 0)
            return Unexpected(Fail(ExportFailure::Unwritable, tempPath + QStringLiteral(": ") + AvText(rc)));
        return {};
    }();
    CloseOutput();
    std::error_code ec;
    const std::filesystem::path temp(QFile::encodeName(tempPath).toStdString());
    if (!result) {
        std::filesystem::remove(temp, ec);
        return result;
    }
    std::filesystem::rename(temp, std::filesystem::path(QFile::encodeName(outPath).toStdString()), ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return Unexpected(Fail(ExportFailure::Unwritable, outPath + QStringLiteral(": cannot rename")));
    }
    progress_.permille = 1000;
    qCInfo(lcOverlay) << "overlay clip" << outPath << framesWritten_ << "frames";
    return {};
}

Expected<void, ExportError> OverlayWriter::OpenOutput(const QString& tempPath, const Source& first,
                                                      const AVCodecContext& decoder)
{
    const QByteArray name = QFile::encodeName(tempPath);
    if (avformat_alloc_output_context2(&out_, nullptr, "mp4", name.constData()) < 0 || !out_)
        return Unexpected(Fail(ExportFailure::Unwritable, tempPath + QStringLiteral(": no muxer")));
    const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264)
        return Unexpected(Fail(ExportFailure::BadInput, QStringLiteral("libavcodec has no libx264 encoder")));
    encoder_.reset(avcodec_alloc_context3(h264));
    const AVStream* in = first.format->streams[first.video];
    encoder_->width = decoder.width;
    encoder_->height = decoder.height;
    encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder_->sample_aspect_ratio = decoder.sample_aspect_ratio;
    encoder_->time_base = kMicro;
    encoder_->framerate = in->avg_frame_rate;
    encoder_->thread_count = 0;
    if (out_->oformat->flags & AVFMT_GLOBALHEADER)
        encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(encoder_->priv_data, "preset", encoding_.preset, 0);
    av_opt_set_int(encoder_->priv_data, "crf", encoding_.crf, 0);
    if (int rc = avcodec_open2(encoder_.get(), h264, nullptr); rc < 0)
        return Unexpected(Fail(ExportFailure::BadInput, QStringLiteral("libx264: ") + AvText(rc)));
    AVStream* video = avformat_new_stream(out_, nullptr);
    avcodec_parameters_from_context(video->codecpar, encoder_.get());
    video->time_base = AVRational{1, 90000};
    outVideo_ = video->index;
    if (first.audio >= 0) {
        const AVStream* inAudio = first.format->streams[first.audio];
        AVStream* audio = avformat_new_stream(out_, nullptr);
        avcodec_parameters_copy(audio->codecpar, inAudio->codecpar);
        audio->codecpar->codec_tag = 0;
        audio->time_base = inAudio->time_base;
        audioInBase_ = inAudio->time_base;
        outAudio_ = audio->index;
    }
    if (!band_.Init(decoder.width, decoder.height, AV_PIX_FMT_YUV420P))
        return Unexpected(Fail(ExportFailure::BadInput, QStringLiteral("cannot convert the band's rows")));
    if (int rc = avio_open(&out_->pb, name.constData(), AVIO_FLAG_WRITE); rc < 0)
        return Unexpected(Fail(ExportFailure::Unwritable, tempPath + QStringLiteral(": ") + AvText(rc)));
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    const int rc = avformat_write_header(out_, &options);
    av_dict_free(&options);
    if (rc < 0)
        return Unexpected(Fail(ExportFailure::Unwritable, tempPath + QStringLiteral(": ") + AvText(rc)));
    headerWritten_ = true;
    return {};
}

Expected<void, ExportError> OverlayWriter::CopyRecording(Source& s)
{
    AVFormatContext* fmt = s.format.get();
    const AVStream* vin = fmt->streams[s.video];
    const std::int64_t localIn = std::max<std::int64_t>(0, inUs_ - s.offsetUs);
    const std::int64_t localOut = std::min(s.durationUs, outUs_ - s.offsetUs);
    CodecPtr decoder(avcodec_alloc_context3(avcodec_find_decoder(vin->codecpar->codec_id)));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), vin->codecpar) < 0)
        return Unexpected(Fail(ExportFailure::BadInput, s.path + QStringLiteral(": no decoder")));
    decoder->thread_count = 0;
    decoder->pkt_timebase = vin->time_base;
    if (avcodec_open2(decoder.get(), decoder->codec, nullptr) < 0)
        return Unexpected(Fail(ExportFailure::BadInput, s.path + QStringLiteral(": decoder does not open")));
    if (localIn > 0 && av_seek_frame(fmt, s.video, av_rescale_q(s.startUs + localIn, kMicro, vin->time_base),
                                     AVSEEK_FLAG_BACKWARD) < 0)
        return Unexpected(Fail(ExportFailure::BadInput, s.path + QStringLiteral(": cannot seek")));

    // Pictures of another size or format than the clip's are scaled to it.
    SwsPtr scale;
    FramePtr frame(av_frame_alloc()), converted(av_frame_alloc());
    const std::int64_t durTenths = s.durationUs / 100000;
    bool videoDone = false;
    auto takeFrame = [&](AVFrame* f) -> Expected<void, ExportError> {
        const std::int64_t ts = f->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE)
            return {};
        const std::int64_t t = av_rescale_q(ts, vin->time_base, kMicro) - s.startUs;
        // The picture shown at In is the one that starts at or before it and lasts past it.
        const std::int64_t frameTicks = f->pkt_duration > 0 ? f->pkt_duration : av_rescale_q(1, av_inv_q(vin->avg_frame_rate), vin->time_base);
        const std::int64_t end = av_rescale_q(ts + std::max<std::int64_t>(frameTicks, 1), vin->time_base, kMicro) - s.startUs;
        if (end <= localIn)
            return {};
        if (t >= localOut) {
            videoDone = true;
            return {};
        }
        if (progress_.stopRequested.load())
            return Unexpected(Fail(ExportFailure::Stopped, QStringLiteral("stopped")));
        AVFrame* picture = f;
        if (f->format != AV_PIX_FMT_YUV420P || f->width != encoder_->width || f->height != encoder_->height) {
            scale.reset(sws_getCachedContext(scale.release(), f->width, f->height, AVPixelFormat(f->format),
                                             encoder_->width, encoder_->height, AV_PIX_FMT_YUV420P, SWS_BILINEAR,
                                             nullptr, nullptr, nullptr));
            av_frame_unref(converted.get());
            converted->format = AV_PIX_FMT_YUV420P;
            converted->width = encoder_->width;
            converted->height = encoder_->height;
            if (!scale || av_frame_get_buffer(converted.get(), 0) < 0)
                return Unexpected(Fail(ExportFailure::BadInput, s.path + QStringLiteral(": cannot convert a picture")));
            sws_scale(scale.get(), f->data, f->linesize, 0, f->height, converted->data, converted->linesize);
            picture = converted.get();
        } else if (av_frame_make_writable(f) < 0) {
            return Unexpected(Fail(ExportFailure::BadInput, s.path + QStringLiteral(": no picture memory")));
        }
        const std::optional<int> index =
            SampleIndexAt(t / 100000, s.lines.size(), std::max<std::int64_t>(durTenths, 1), *s.track);
        TelemetrySample sample;
        sample.Reset();
        if (index && *index >= 0 && *index < std::min<int>(s.track->sampleCount, int(TrackCapacity)))
            sample = s.track->samples[std::size_t(*index)];
        band_.Paint(*picture, BandValuesOf(sample, mph_));
        // The clip starts with the picture shown at In, which may start a little before it; the
        // sound follows from the same moment.
        if (startUs_ < 0)
            startUs_ = s.offsetUs + t;
        picture->pts = s.offsetUs + t - startUs_;
        picture->pict_type = AV_PICTURE_TYPE_NONE;
        progress_.permille =
            int(std::clamp<std::int64_t>(((s.offsetUs + t - inUs_) * 1000) / (outUs_ - inUs_), 0, 999));
        if (auto encoded = EncodeFrame(picture); !encoded)
            return encoded;
        return WriteAudio();
    };
    auto drain = [&]() -> Expected<void, ExportError> {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            auto taken = takeFrame(frame.get());
            av_frame_unref(frame.get());
            if (!taken)
                return taken;
        }
        return {};
    };

    PacketPtr in(av_packet_alloc());
    bool audioDone = s.audio < 0 || outAudio_ < 0;
    while (!(videoDone && audioDone)) {
        const int rc = av_read_frame(fmt, in.get());
        if (rc < 0)
            break;
        if (in->stream_index == s.video && !videoDone) {
            if (avcodec_send_packet(decoder.get(), in.get()) < 0)
                qCInfo(lcOverlay) << s.path << "a damaged video packet is skipped";
            av_packet_unref(in.get());
            if (auto drained = drain(); !drained)
                return drained;
        } else if (in->stream_index == s.audio && !audioDone) {
            const AVStream* ain = fmt->streams[s.audio];
            const std::int64_t at = in->pts == AV_NOPTS_VALUE ? -1 : av_rescale_q(in->pts, ain->time_base, kMicro) - s.startUs;
            if (at >= localOut) {
                audioDone = true;
            } else if (at >= localIn - kFrameSlackUs) {
                // Held until the first picture has fixed the clip's start.
                pendingAudio_.emplace_back(av_packet_clone(in.get()), s.offsetUs + at);
                if (auto written = WriteAudio(); !written)
                    return written;
            }
            av_packet_unref(in.get());
        } else {
            av_packet_unref(in.get());
        }
    }
    if (!videoDone) {
        avcodec_send_packet(decoder.get(), nullptr);
        if (auto drained = drain(); !drained)
            return drained;
    }
    return {};
}

Expected<void, ExportError> OverlayWriter::EncodeFrame(AVFrame* frame)
{
    if (!encoder_)
        return Unexpected(Fail(ExportFailure::BadInput, QStringLiteral("no picture in the range")));
    if (int rc = avcodec_send_frame(encoder_.get(), frame); rc < 0)
        return Unexpected(Fail(ExportFailure::BadInput, QStringLiteral("libx264: ") + AvText(rc)));
    if (frame)
        ++framesWritten_;
    while (avcodec_receive_packet(encoder_.get(), packet_.get()) == 0) {
        // Every picture lasts a frame, the last one too (the muxer's track length counts it).
        if (packet_->duration <= 0)
            packet_->duration = av_rescale_q(1, av_inv_q(encoder_->framerate), encoder_->time_base);
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, out_->streams[outVideo_]->time_base);
        if (auto written = Write(packet_.get(), outVideo_); !written)
            return written;
    }
    return {};
}

Expected<void, ExportError> OverlayWriter::WriteAudio()
{
    if (startUs_ < 0)
        return {};
    for (auto& [packet, at] : pendingAudio_) {
        // A recording's sound may begin a little before its pictures (encoder priming): what
        // overlaps the sound already written from the recording before is left out.
        if (at < startUs_ || at <= lastAudioUs_)
            continue;
        lastAudioUs_ = at;
        packet->dts = packet->pts = av_rescale_q(at - startUs_, kMicro, audioInBase_);
        packet->pos = -1;
        av_packet_rescale_ts(packet.get(), audioInBase_, out_->streams[outAudio_]->time_base);
        if (auto written = Write(packet.get(), outAudio_); !written)
            return written;
    }
    pendingAudio_.clear();
    return {};
}

Expected<void, ExportError> OverlayWriter::Write(AVPacket* packet, int outStream)
{
    packet->stream_index = outStream;
    if (int rc = av_interleaved_write_frame(out_, packet); rc < 0)
        return Unexpected(Fail(ExportFailure::Unwritable, QStringLiteral("writing the overlay clip: ") + AvText(rc)));
    return {};
}

void OverlayWriter::CloseOutput()
{
    if (!out_)
        return;
    if (out_->pb)
        avio_closep(&out_->pb);
    avformat_free_context(out_);
    out_ = nullptr;
}

} // namespace

Expected<void, ExportError> WriteOverlayClipWith(const ExportRange& range, bool mph, const QString& outPath,
                                                 ExportProgress& progress, const OverlayEncoding& encoding)
{
    // The encoder's and muxer's chatter stays out of the program's output; their errors do not.
    if (av_log_get_level() > AV_LOG_ERROR)
        av_log_set_level(AV_LOG_ERROR);
    OverlayWriter writer(range, mph, progress, encoding);
    return writer.Run(outPath);
}

Expected<void, ExportError> WriteOverlayClip(const ExportRange& range, bool mph, const QString& outPath,
                                             ExportProgress& progress)
{
    return WriteOverlayClipWith(range, mph, outPath, progress, OverlayEncoding{});
}

} // namespace korvane
