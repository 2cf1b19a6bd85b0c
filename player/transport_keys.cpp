#include "player/transport_keys.h"

#include <QTimer>
#include <algorithm>

#include "player/partner_preparation.h"
#include "player/play_time.h"
#include "player/playback_controller.h"
#include "player/player_host.h"
#include "player/seek_bar.h"

namespace korvane {
namespace {
// After a seek while playing, the tick waits this long before it reads the position again, so
// it never shows the position from before the seek (the kernel acts on its next 50 ms pass).
constexpr int kTickResumeMs = 120;
} // namespace

TransportKeys::TransportKeys(PlaybackController& player, PlayerHost& host, SeekBar& seekBar, QObject* parent)
    : QObject(parent), player_(player), host_(host), seekBar_(seekBar), stepper_(player, this)
{
}

bool TransportKeys::Loaded() const
{
    const PlaybackChannel& c = *player_.Current();
    return c.ref.IsValid() && c.slot && c.slot->ready.load() && host_.ViewerIdle() &&
           !player_.WaitingForKernel() && !seekBar_.seekDragging && !seekBar_.tmMouseUp.isActive();
}

bool TransportKeys::PlayPause()
{
    if (!Loaded())
        return false;
    stepper_.Cancel();
    if (player_.State() == PlayState::Playing)
        player_.Pause();
    else
        player_.Play();
    return true;
}

bool TransportKeys::SeekBy(int deltaTenths)
{
    if (!Loaded())
        return false;
    return SeekTo(seekBar_.Position() + deltaTenths);
}

int TransportKeys::PositionTenths() const { return seekBar_.Position(); }

bool TransportKeys::GoToStart()
{
    return Loaded() && SeekTo(0);
}

bool TransportKeys::SeekTo(int tenths)
{
    stepper_.Cancel();
    const int target = std::clamp(tenths, 0, std::max(player_.DurationTenths() - 1, 0));
    PlaybackChannel& channel = *player_.Current();
    const bool playing = player_.State() == PlayState::Playing;
    if (playing)
        player_.StopTick();
    // A partner prepared for the end of the recording goes; the tick prepares it again.
    player_.Partner().Release();
    // A request equal to the kernel's position would stay pending in its slot.
    if (ReadPosition(channel) != SeekTarget(target))
        RequestSeek(channel, SeekTarget(target));
    player_.ShowTelemetryAt(target, true, true, true, true);
    if (playing)
        QTimer::singleShot(kTickResumeMs, &player_, [p = &player_] {
            if (p->State() == PlayState::Playing && !p->TickRunning())
                p->StartTick();
        });
    return true;
}

bool TransportKeys::StepFrame(int direction)
{
    return Loaded() && stepper_.Step(direction);
}

} // namespace korvane
