#pragma once
// Helpers shared by the kernel tests: recordings, a private control block, waiting.
#include "kernel/kernel_client.h"
#include "kernel/kernel_slot.h"

#include <QByteArray>
#include <QString>

class QWidget;

#include <chrono>
#include <functional>

namespace korvane::test {

// A recording of the sample card (H.264 + AAC, with a telemetry text track when one exists).
QString SampleRecording();
// A special-case recording made for these tests: h264_aac, noaudio, h265, undecodable_video,
// undecodable_audio, damaged, garbage, picture (".mp4" added).
QString Fixture(const char* name);
// The file's duration in 100 ns units as ffprobe reads it (0 when unknown).
int64_t ProbeDuration100ns(const QString& path);

// Points KORVANE_CONTROL_BLOCK at a block of this test process only; removes it afterwards.
class PrivateControlBlock {
public:
    PrivateControlBlock();
    ~PrivateControlBlock();
    const QString& name() const { return name_; }

private:
    QString name_;
};

// A kernel's box log (KORVANE_BOX_LOG) once it holds a whole line: the file exists as soon as it
// is opened, before its line is written. Empty when no whole line came within `timeoutMs`.
QByteArray WaitForBoxLine(const QString& path, int timeoutMs);

// Polls `condition` every 10 ms until it holds or `timeoutMs` passed (events are processed).
bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

// Carries out a state request through the client's link and processes events until it ends;
// true when the kernel confirmed it. `writes` receives the writes made.
bool RequestAndWait(KernelClient& client, RequestedState target, int* writes = nullptr);
inline bool PlayAndWait(KernelClient& c, int* writes = nullptr) { return RequestAndWait(c, RequestedState::Run, writes); }
inline bool PauseAndWait(KernelClient& c, int* writes = nullptr) { return RequestAndWait(c, RequestedState::Pause, writes); }
inline bool StopAndWait(KernelClient& c, int* writes = nullptr) { return RequestAndWait(c, RequestedState::Stop, writes); }
// Writes a seek through the client's link and processes events until the link has no seek
// under way; true when the slot held the position (or the kernel took it) by then.
bool SeekAndWait(KernelClient& client, int64_t position100ns);

// A shown top-level window with a native child panel the video draws into.
class VideoWindow {
public:
    explicit VideoWindow(int width = 640, int height = 360);
    ~VideoWindow();
    QWidget* panel() const { return panel_; }
    uint32_t panelId() const;

private:
    QWidget* window_;
    QWidget* panel_;
};

// Fraction of pixels of the window (X11 id) that are clearly not black.
double NonBlackFraction(unsigned long window);

} // namespace korvane::test
