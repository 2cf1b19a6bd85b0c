#include "kernel/media_graph_player.h"
#include "kernel/kernel_log.h"
#include "kernel/kernel_state.h"
#include "kernel/time_units.h"

#include "platform/file_name_bytes.h"
#include "platform/message_box.h"

#include <QFile>

#include <gst/gst.h>
#include <gst/video/videooverlay.h>

namespace korvane {
namespace {
constexpr int kPrerollTimeoutMs = 10000;
constexpr int kMediaPathKeep = 259;

bool EnsureGstreamer()
{
    static const bool ok = gst_init_check(nullptr, nullptr, nullptr);
    return ok;
}

bool CapsStartWith(GstPad* pad, const char* prefix)
{
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    bool match = false;
    if (caps && gst_caps_get_size(caps) > 0) {
        const gchar* name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
        match = name && g_str_has_prefix(name, prefix);
    }
    if (caps)
        gst_caps_unref(caps);
    return match;
}

// Adds the elements, links them in a row and brings them to the graph's state.
bool AddChain(GstElement* pipeline, const std::vector<GstElement*>& chain)
{
    for (GstElement* e : chain)
        if (!e)
            return false;
    for (GstElement* e : chain)
        gst_bin_add(GST_BIN(pipeline), e);
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
        if (!gst_element_link(chain[i], chain[i + 1]))
            return false;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        gst_element_sync_state_with_parent(*it);
    return true;
}

bool LinkPadTo(GstPad* pad, GstElement* element)
{
    GstPad* sink = gst_element_get_static_pad(element, "sink");
    const bool ok = sink && gst_pad_link(pad, sink) == GST_PAD_LINK_OK;
    if (sink)
        gst_object_unref(sink);
    return ok;
}

bool InChain(GstElement* source, const std::vector<GstElement*>& chain)
{
    for (GstElement* e : chain)
        if (e && (source == e || gst_object_has_as_ancestor(GST_OBJECT(source), GST_OBJECT(e))))
            return true;
    return false;
}
} // namespace

MediaGraphPlayer::~MediaGraphPlayer()
{
    Release();
}

void MediaGraphPlayer::Create(uint32_t window)
{
    Release();
    duration = 0;
    durationSeconds = 0.0f;
    lines.clear();
    active = 0;
    renderWindow = window;
    mediaPath.clear();
}

bool MediaGraphPlayer::Open(const QString& path, int activity)
{
    if (path.size() < 4)
        return false;
    TearDown();
    Build(path);
    active = activity;
    mediaPath = path.left(kMediaPathKeep);
    return true;
}

bool MediaGraphPlayer::FailBuild(int code)
{
    lastBuildError_ = code;
    qCWarning(lcKernel, "building the graph failed: error 0x%04X", code);
    emit buildFailed(code);
    ShowErrorNumber(code);
    return false;
}

bool MediaGraphPlayer::Build(const QString& path)
{
    // A graph left from an earlier build that was never activated would keep its threads and
    // keep drawing into the same window: it goes first.
    Release();
    lastBuildError_ = 0;
    {
        std::lock_guard lock(padMutex_);
        branchError_ = 0;
        sawVideoPad_ = sawAudioPad_ = videoLinked_ = audioLinked_ = false;
    }
    // 1. The graph itself.
    if (!EnsureGstreamer() || !(pipeline_ = gst_pipeline_new("korvane-graph")))
        return FailBuild(0x7001);
    gst_object_ref_sink(pipeline_);
    // 2. The video window: a sink that draws into a foreign X11 window.
    videoSink_ = gst_element_factory_make("ximagesink", "video-renderer");
    if (!videoSink_ || !GST_IS_VIDEO_OVERLAY(videoSink_))
        return FailBuild(0x5001);
    gst_object_ref_sink(videoSink_);
    // The sink watches the window for Expose itself and draws its last frame again, so that a
    // paused or stopped picture comes back when a window that covered the panel goes away.
    g_object_set(videoSink_, "handle-expose", TRUE, "handle-events", TRUE, nullptr);
    if (renderWindow)
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(videoSink_), renderWindow);
    // 3. State control goes through the pipeline element.
    if (!GST_IS_ELEMENT(pipeline_))
        return FailBuild(0x5002);
    // 4. Events: the pipeline's bus.
    if (!(bus_ = gst_pipeline_get_bus(GST_PIPELINE(pipeline_))))
        return FailBuild(0x5003);
    // 5. Source and splitter; the file is loaded when the graph prerolls.
    source_ = gst_element_factory_make("filesrc", "source");
    demux_ = gst_element_factory_make("qtdemux", "splitter");
    if (!source_ || !demux_ || !gst_bin_add(GST_BIN(pipeline_), source_) ||
        !gst_bin_add(GST_BIN(pipeline_), demux_) || !gst_element_link(source_, demux_))
        return FailBuild(0x5004);
    g_object_set(source_, "location", EncodeFileNameBytes(path).constData(), nullptr);  // the name's own bytes
    g_signal_connect(demux_, "pad-added", G_CALLBACK(&MediaGraphPlayer::OnDemuxPad), this);

    // 6.-9. Decoders and renderers join as the splitter's pads appear; the preroll tells
    // whether every branch could be wired and decoded.
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    int errorCode = 0;
    const bool prerolled = WaitAsyncDone(kPrerollTimeoutMs, &errorCode);
    int code = 0;
    {
        std::lock_guard lock(padMutex_);
        if (branchError_)
            code = branchError_;
        else if (!prerolled)
            code = errorCode ? errorCode : 0x5006;
        else if (!sawVideoPad_)
            code = 0x5006;
        else if (!videoLinked_)
            code = 0x5008;
        else if (sawAudioPad_ && !audioLinked_)
            code = 0x5009;
    }
    if (code) {
        // A half-built graph stays as it is but must not keep running threads.
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        return FailBuild(code);
    }
    // 10. Duration.
    gint64 ns = 0;
    if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &ns) && ns > 0)
        duration = ns / 100;
    durationSeconds = static_cast<float>(duration / kViewerUnitsPerSecond);
    stopped_ = true;
    // 11. Fit the video into its window.
    FitVideo();
    return true;
}

void MediaGraphPlayer::OnDemuxPad(GstElement*, GstPad* pad, void* self)
{
    static_cast<MediaGraphPlayer*>(self)->DemuxPad(pad);
}

void MediaGraphPlayer::OnDecodedPad(GstElement* decoder, GstPad* pad, void* self)
{
    static_cast<MediaGraphPlayer*>(self)->DecodedPad(decoder, pad);
}

void MediaGraphPlayer::DemuxPad(GstPad* pad)
{
    std::lock_guard lock(padMutex_);
    const bool video = CapsStartWith(pad, "video/");
    const bool audio = CapsStartWith(pad, "audio/");
    GstElement** decoder = nullptr;
    int code = 0;
    if (video && !sawVideoPad_) {
        sawVideoPad_ = true;
        decoder = &videoDecoder_;
        code = 0x5006;
    } else if (audio && !sawAudioPad_) {
        sawAudioPad_ = true;
        decoder = &audioDecoder_;
        code = 0x5007;
    }
    if (!decoder) {
        // Telemetry text and any further stream: consumed without holding up the graph.
        GstElement* q = gst_element_factory_make("queue", nullptr);
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        if (sink)
            g_object_set(sink, "sync", TRUE, "async", FALSE, nullptr);
        if (AddChain(pipeline_, {q, sink}))
            LinkPadTo(pad, q);
        return;
    }
    GstElement* q = gst_element_factory_make("queue", nullptr);
    GstElement* dec = gst_element_factory_make("decodebin", nullptr);
    if (!q || !dec) {
        if (!branchError_)
            branchError_ = code;
        return;
    }
    *decoder = dec;
    g_signal_connect(dec, "pad-added", G_CALLBACK(&MediaGraphPlayer::OnDecodedPad), this);
    if ((!AddChain(pipeline_, {q, dec}) || !LinkPadTo(pad, q)) && !branchError_)
        branchError_ = code;
}

void MediaGraphPlayer::DecodedPad(GstElement* decoder, GstPad* pad)
{
    std::lock_guard lock(padMutex_);
    if (decoder == videoDecoder_ && !videoLinked_ && CapsStartWith(pad, "video/")) {
        videoChain_ = {gst_element_factory_make("videoconvert", nullptr),
                       gst_element_factory_make("videoscale", nullptr), videoSink_};
        if (AddChain(pipeline_, videoChain_) && LinkPadTo(pad, videoChain_.front()))
            videoLinked_ = true;
        else if (!branchError_)
            branchError_ = 0x5008;
    } else if (decoder == audioDecoder_ && !audioLinked_ && CapsStartWith(pad, "audio/")) {
        volume_ = gst_element_factory_make("volume", "audio-volume");
        if (volume_)
            g_object_set(volume_, "mute", muted_.load() ? TRUE : FALSE, nullptr);
        audioChain_ = {gst_element_factory_make("audioconvert", nullptr), volume_,
                       gst_element_factory_make("audioresample", nullptr),
                       gst_element_factory_make("autoaudiosink", "audio-renderer")};
        if (AddChain(pipeline_, audioChain_) && LinkPadTo(pad, audioChain_.front()))
            audioLinked_ = true;
        else if (!branchError_)
            branchError_ = 0x5009;
    }
}

int MediaGraphPlayer::ClassifyError(GstElement* source)
{
    std::lock_guard lock(padMutex_);
    if (!source)
        return 0x5006;
    if (audioDecoder_ && InChain(source, {audioDecoder_}))
        return 0x5007;
    if (InChain(source, videoChain_))
        return 0x5008;
    if (InChain(source, audioChain_))
        return 0x5009;
    // The file, the splitter or the video decoder: nothing a video renderer could be fed from.
    return 0x5006;
}

bool MediaGraphPlayer::WaitAsyncDone(int timeoutMs, int* errorCode)
{
    if (!bus_)
        return false;
    const GstClockTime deadline = gst_util_get_timestamp() + GstClockTime(timeoutMs) * GST_MSECOND;
    for (;;) {
        const GstClockTime now = gst_util_get_timestamp();
        if (now >= deadline)
            return false;
        GstMessage* msg = gst_bus_timed_pop_filtered(
            bus_, deadline - now, GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
        if (!msg)
            return false;
        const bool done = GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ASYNC_DONE;
        if (!done && errorCode)
            *errorCode = ClassifyError(GST_IS_ELEMENT(GST_MESSAGE_SRC(msg))
                                           ? GST_ELEMENT(GST_MESSAGE_SRC(msg)) : nullptr);
        gst_message_unref(msg);
        return done;
    }
}

void MediaGraphPlayer::DrainBus()
{
    if (!bus_)
        return;
    while (GstMessage* msg = gst_bus_pop(bus_))
        gst_message_unref(msg);
}

bool MediaGraphPlayer::TearDown()
{
    if (active == 0)
        return true;
    Release();
    active = 0;
    return true;
}

void MediaGraphPlayer::Release()
{
    if (pipeline_) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }
    if (bus_)
        gst_object_unref(bus_);
    if (videoSink_)
        gst_object_unref(videoSink_);
    std::lock_guard lock(padMutex_);
    pipeline_ = source_ = demux_ = videoSink_ = videoDecoder_ = audioDecoder_ = volume_ = nullptr;
    bus_ = nullptr;
    rateOffset_ = 0;
    videoChain_.clear();
    audioChain_.clear();
}

bool MediaGraphPlayer::Run()
{
    if (!pipeline_ || gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        qCDebug(lcKernel) << "the graph refused to run" << mediaPath;
        return false;
    }
    stopped_ = false;
    return true;
}

bool MediaGraphPlayer::Pause()
{
    if (active == 0 || !pipeline_)
        return false;
    if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        return false;
    stopped_ = false;
    return true;
}

bool MediaGraphPlayer::StopAndRewind()
{
    if (active == 0)
        return false;
    RewindAndPreroll();
    return true;
}

bool MediaGraphPlayer::ShowFirstFrameStopped()
{
    // Right after the build the graph already holds its first frame at position 0.
    gint64 ns = -1;
    GstState state = GST_STATE_NULL;
    if (pipeline_ && gst_element_get_state(pipeline_, &state, nullptr, 0) == GST_STATE_CHANGE_SUCCESS &&
        state == GST_STATE_PAUSED && gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) && ns == 0) {
        stopped_ = true;
        return true;
    }
    return RewindAndPreroll();
}

bool MediaGraphPlayer::RewindAndPreroll()
{
    if (!pipeline_)
        return false;
    stopped_ = true;
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    gst_element_get_state(pipeline_, nullptr, nullptr, 2 * GST_SECOND);
    DrainBus();
    if (!gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                                 GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), 0))
        return false;
    // A flushing seek in PAUSED prerolls again; the first frame is drawn when it completes.
    return WaitAsyncDone(3000);
}

void MediaGraphPlayer::FitVideo()
{
    if (!videoSink_)
        return;
    GstVideoOverlay* overlay = GST_VIDEO_OVERLAY(videoSink_);
    gst_video_overlay_set_render_rectangle(overlay, 0, 0, -1, -1);
    gst_video_overlay_expose(overlay);
    // The scaler asks the sink for its window size again with the next frame.
    if (GstPad* pad = gst_element_get_static_pad(videoSink_, "sink")) {
        gst_pad_push_event(pad, gst_event_new_reconfigure());
        gst_object_unref(pad);
    }
}

void MediaGraphPlayer::SetMuted(bool muted)
{
    std::lock_guard lock(padMutex_);
    muted_ = muted;
    if (volume_)
        g_object_set(volume_, "mute", muted ? TRUE : FALSE, nullptr);
}

AudioOutput MediaGraphPlayer::SoundOutput()
{
    std::lock_guard lock(padMutex_);
    if (!audioLinked_ || !volume_)
        return AudioOutput::None;
    gboolean mute = FALSE;
    g_object_get(volume_, "mute", &mute, nullptr);
    return mute ? AudioOutput::Silenced : AudioOutput::Heard;
}

bool MediaGraphPlayer::CurrentPosition(int64_t& position100ns)
{
    DrainBus();
    gint64 ns = 0;
    if (!pipeline_ || !gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0)
        return false;
    position100ns = ns / 100;
    return true;
}

bool MediaGraphPlayer::SetPosition(int64_t position100ns)
{
    if (!pipeline_ || position100ns < 0)
        return false;
    rateOffset_ = 0;   // a seek plays at normal speed
    return gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                                   GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                   position100ns * 100);
}

bool MediaGraphPlayer::SetRateOffset(int offset)
{
    if (!pipeline_ || offset < -kMaxRateOffset || offset > kMaxRateOffset)
        return false;
    if (!gst_element_seek(pipeline_, RateOfOffset(offset), GST_FORMAT_TIME, GST_SEEK_FLAG_INSTANT_RATE_CHANGE,
                          GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE))
        return false;
    rateOffset_ = offset;
    return true;
}

bool MediaGraphPlayer::GetState(int timeoutMs, int32_t& state)
{
    if (!pipeline_)
        return false;
    GstState current = GST_STATE_NULL;
    if (gst_element_get_state(pipeline_, &current, nullptr, GstClockTime(timeoutMs) * GST_MSECOND) ==
        GST_STATE_CHANGE_FAILURE)
        return false;
    if (current == GST_STATE_PLAYING)
        state = ToSlot(GraphState::Running);
    else if (current == GST_STATE_PAUSED)
        state = ToSlot(stopped_ ? GraphState::Stopped : GraphState::Paused);
    else
        state = ToSlot(GraphState::Stopped);
    return true;
}

} // namespace korvane
