#pragma once
// The transport buttons' combinations: which of play, pause and stop take clicks and which lit
// picture marks the mode.

namespace korvane {

enum class TransportSituation { NothingLoaded, Playing, Paused, Stopped };
enum class LitPicture { Play, Pause, Stop };

struct TransportControls {
    bool play = false;
    bool pause = false;
    bool stop = false;
    LitPicture lit = LitPicture::Stop;
    bool operator==(const TransportControls&) const = default;
};

constexpr TransportControls ControlsFor(TransportSituation s)
{
    switch (s) {
    case TransportSituation::Playing: return {false, true, true, LitPicture::Play};
    case TransportSituation::Paused: return {true, false, true, LitPicture::Pause};
    case TransportSituation::Stopped: return {true, false, false, LitPicture::Stop};
    case TransportSituation::NothingLoaded: break;
    }
    return {false, false, false, LitPicture::Stop};
}

} // namespace korvane
