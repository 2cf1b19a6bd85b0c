#include "player/frame_step.h"

#include "player/frame_timing.h"
#include "player/partner_preparation.h"
#include "player/play_time.h"
#include "player/playback_controller.h"
#include "player/player_log.h"

namespace korvane {
namespace {
constexpr int kPollMs = 5;
// The kernel writes its position every 50 ms: unchanged for longer than two of its passes, the
// position of a paused graph is the one it shows.
constexpr int kSettledMs = 120;
constexpr int kMaxQueued = 250;

bool SeekPending(const PlaybackChannel& channel)
{
    return channel.slot && channel.slot->seekRequest.load() >= 0;
}
} // namespace

FrameStepper::FrameStepper(PlaybackController& player, QObject* parent) : QObject(parent), player_(player)
{
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &FrameStepper::Poll);
}

std::optional<double> FrameStepper::FrameDuration(const PlaybackChannel& channel)
{
    if (channel.mediaPath != timingPath_) {
        timingPath_ = channel.mediaPath;
        frame_ = ReadFrameDuration(channel.mediaPath);
        if (!frame_)
            qCWarning(lcPlayer) << "no video frame rate in" << channel.mediaPath;
    }
    return frame_;
}

bool FrameStepper::Step(int direction)
{
    PlaybackChannel& channel = *player_.Current();
    if (!channel.ref.IsValid() || !channel.slot || !channel.slot->ready.load() || !FrameDuration(channel))
        return false;
    if (phase_ != Phase::Idle && channel_ != &channel)
        Finish();
    if (queued_ + direction > -kMaxQueued && queued_ + direction < kMaxQueued)
        queued_ += direction;
    if (phase_ != Phase::Idle)
        return true;
    channel_ = &channel;
    const bool paused = player_.State() == PlayState::Paused;
    if (!paused)
        player_.Pause();
    if (paused && !SeekPending(channel)) {
        StartNext(ReadPosition(channel));
    } else {
        // The position the kernel wrote before the pause (or before a pending seek) is not the
        // picture that stays: wait until it stops changing.
        phase_ = Phase::Settling;
        lastSeen_ = -1;
        waited_.start();
        poll_.start();
    }
    return true;
}

void FrameStepper::StartNext(std::int64_t from)
{
    PlaybackChannel& channel = *channel_;
    const double frame = *frame_;
    const std::int64_t target = StepTarget(from, queued_ > 0 ? 1 : -1, frame, channel.duration);
    queued_ += queued_ > 0 ? -1 : 1;
    targetIndex_ = FrameIndexAt(target, frame);
    if (targetIndex_ == FrameIndexAt(from, frame)) {
        // The first or the last frame: nothing further to step to.
        queued_ = 0;
        Finish();
        return;
    }
    phase_ = Phase::Landing;
    waited_.start();
    player_.Partner().Release();
    RequestSeek(channel, target);
    poll_.start();
}

void FrameStepper::Poll()
{
    PlaybackChannel& channel = *channel_;
    // The channel was released or replaced meanwhile (another recording, a switch).
    if (channel_ != player_.Current() || !channel.ref.IsValid() || !channel.slot) {
        queued_ = 0;
        Finish();
        return;
    }
    const std::int64_t position = ReadPosition(channel);
    if (phase_ == Phase::Settling) {
        if (position != lastSeen_ || SeekPending(channel)) {
            lastSeen_ = position;
            lastChangeMs_ = waited_.elapsed();
            if (waited_.elapsed() < landTimeoutMs)
                return;
        } else if (waited_.elapsed() - lastChangeMs_ < kSettledMs) {
            return;
        }
        poll_.stop();
        StartNext(position);
        return;
    }
    const bool there = !SeekPending(channel) && FrameIndexAt(position, *frame_) == targetIndex_;
    if (!there && waited_.elapsed() < landTimeoutMs)
        return;
    poll_.stop();
    if (!there)
        qCWarning(lcPlayer) << "a frame step did not land in" << landTimeoutMs << "ms; the kernel shows" << position;
    player_.ShowTelemetryAt(PositionTenths(position), true, true, true, true);
    emit landed(position);
    if (queued_ != 0 && there) {
        StartNext(position);
        return;
    }
    queued_ = 0;
    Finish();
}

void FrameStepper::Cancel()
{
    queued_ = 0;
    Finish();
}

void FrameStepper::Finish()
{
    poll_.stop();
    phase_ = Phase::Idle;
    channel_ = nullptr;
}

} // namespace korvane
