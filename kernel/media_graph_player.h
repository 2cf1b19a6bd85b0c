#pragma once
// The kernel's media graph: one MP4 recording played by GStreamer, element by element.
// filesrc ! qtdemux, then per stream pad: the first video pad through a decoder into
// videoconvert ! videoscale ! ximagesink drawing into the viewer's panel, the first audio pad
// through a decoder into audioconvert ! volume ! audioresample ! autoaudiosink, anything else into a
// fakesink. Positions and durations are in 100-nanosecond units.
#include "kernel/kernel_slot.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstPad GstPad;

namespace korvane {

// The error number reported when the graph refuses to run ("ERROR 0x4001").
constexpr int kRunErrorNumber = 0x4001;

class MediaGraphPlayer : public QObject {
    Q_OBJECT
public:
    MediaGraphPlayer() = default;
    ~MediaGraphPlayer() override;

    // Clears everything, stores the X11 window the video draws into.
    void Create(uint32_t renderWindow);
    // False for a path shorter than 4 characters; else TearDown, Build (result ignored), sets
    // `active` and keeps at most 259 characters of the path in `mediaPath`.
    bool Open(const QString& path, int activity);
    // Builds the graph and prerolls the first frame; on failure shows the step's error number.
    bool Build(const QString& path);
    // Dismantles the graph while `active` is set; always true.
    bool TearDown();
    // Playing; false when the graph refuses (the caller reports kRunErrorNumber). Shows nothing:
    // it runs on the kernel's command thread.
    bool Run();
    bool Pause();
    // Back to position 0 with the first frame shown; the graph then reports stopped.
    bool StopAndRewind();
    // Lets the video fill the render window's current area.
    void FitVideo();
    // Silences the sound or lets it be heard again; kept for graphs built later. Any thread.
    void SetMuted(bool muted);
    bool Muted() const { return muted_; }
    // What the graph's sound does now: None without a sound branch, else Heard or Silenced as
    // the branch's volume element reports it.
    AudioOutput SoundOutput();

    // The calls the command loop makes on the graph directly.
    bool CurrentPosition(int64_t& position100ns);
    bool SetPosition(int64_t position100ns);
    // Plays on at 1 + offset/1000 of normal speed without a flush (an instant rate change), so a
    // channel can catch up with another one without a visible seek. A seek or a new graph plays
    // at normal speed again. False when the graph refuses.
    bool SetRateOffset(int offset);
    int RateOffset() const { return rateOffset_; }
    // 0 stopped, 1 paused, 2 running; false when the graph reports a failure.
    bool GetState(int timeoutMs, int32_t& state);
    // The graph's first frame shown and the graph stopped (the kernel's start uses this).
    bool ShowFirstFrameStopped();

    int64_t duration = 0;
    float durationSeconds = 0.0f;
    QString mediaPath;
    std::vector<std::string> lines;
    std::atomic<int32_t> active{0};
    uint32_t renderWindow = 0;

    // Error number of the last failed Build (0 when it succeeded); for tests and tools.
    int lastBuildError() const { return lastBuildError_; }

signals:
    // A failed Build's error number, emitted on the building thread before its box is shown.
    // Receivers that must act before the box connect with Qt::DirectConnection.
    void buildFailed(int code);

private:
    struct Branch;
    static void OnDemuxPad(GstElement* demux, GstPad* pad, void* self);
    static void OnDecodedPad(GstElement* decoder, GstPad* pad, void* self);
    void DemuxPad(GstPad* pad);
    void DecodedPad(GstElement* decoder, GstPad* pad);
    bool FailBuild(int code);
    int ClassifyError(GstElement* source);
    bool WaitAsyncDone(int timeoutMs, int* errorCode = nullptr);
    bool RewindAndPreroll();
    void DrainBus();
    void Release();

    GstElement* pipeline_ = nullptr;
    GstBus* bus_ = nullptr;
    GstElement* source_ = nullptr;
    GstElement* demux_ = nullptr;
    GstElement* videoSink_ = nullptr;    // created with the graph, joins it with the video pad
    GstElement* videoDecoder_ = nullptr;
    GstElement* audioDecoder_ = nullptr;
    std::vector<GstElement*> videoChain_;
    std::vector<GstElement*> audioChain_;
    GstElement* volume_ = nullptr;       // in audioChain_ once the sound branch is wired
    std::atomic<bool> muted_{false};
    std::mutex padMutex_;
    int branchError_ = 0;                // first error number found while wiring pads
    bool sawVideoPad_ = false;
    bool sawAudioPad_ = false;
    bool videoLinked_ = false;
    bool audioLinked_ = false;
    std::atomic<bool> stopped_{true};
    std::atomic<int> rateOffset_{0};   // what the graph plays at, in tenths of a percent off normal
    int lastBuildError_ = 0;
};

} // namespace korvane
