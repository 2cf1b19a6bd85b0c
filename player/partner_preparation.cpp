// Continuous play's partner made ready ahead of time: launched a few seconds before the current
// recording ends, released on stop, seek, another recording or folder, or continuous play off.
#include "player/partner_preparation.h"

#include <QTimer>

#include "library/recording_library.h"
#include "platform/child_process.h"
#include "platform/file_name_bytes.h"
#include "player/playback_controller.h"
#include "player/player_log.h"
#include "player/recording_opener.h"

namespace korvane {
namespace {
// How long a released partner kernel may take to end by itself.
constexpr int kReleaseGraceMs = 1000;
} // namespace

PartnerPreparation::PartnerPreparation(PlaybackController& player, RecordingLibrary& library,
                                       RecordingOpener& opener, QObject* parent)
    : QObject(parent), player_(player), library_(library), opener_(opener)
{
}

void PartnerPreparation::Tick(std::int64_t positionTenths)
{
    const PlaybackChannel& current = *player_.Current();
    if (!player_.ContinuousPlay() || player_.State() != PlayState::Playing || !current.ref.IsValid() ||
        player_.DurationTenths() <= 0 || player_.DurationTenths() - positionTenths > kLeadTenths)
        return;
    const RecordingRef next = library_.NextRecording(current.ref);
    if (!next.IsValid() || (prepared_ == next && preparedAfter_ == current.ref && PreparedFor(next)))
        return;
    if (tried_ == next && triedAfter_ == current.ref)
        return;
    Release();
    tried_ = next;
    triedAfter_ = current.ref;
    if (Prepare(next)) {
        prepared_ = next;
        preparedAfter_ = current.ref;
        emit prepared(next);
    }
}

bool PartnerPreparation::Prepare(const RecordingRef& next)
{
    PlaybackChannel& partner = *player_.Current()->partner;
    if (!partner.slot || !library_.CellOf(next))
        return false;
    // The file the opener would play: a cut recording's repaired copy, else the recording. One
    // that has gone, a cut one without a copy, or one the kernel could not be given is left to
    // the switch, which opens it the ordinary way and says what is wrong.
    const QString mp4 = library_.PlayablePathOf(next);
    if (mp4.isEmpty() || !IsRegularFileName(mp4))
        return false;
    partner.ref = RecordingRef{};
    partner.mediaPath = mp4;
    partner.sidecarPath = library_.SidecarPathOf(next);
    PlaybackController::ClearChannelTelemetry(partner);
    gpsSeen_ = false;
    opener_.LoadChannelTelemetry(partner, gpsSeen_);
    if (!LaunchKernel(partner, mp4) || partner.startFailed) {
        PlaybackController::ClearChannelTelemetry(partner);
        return false;
    }
    partner.ref = next;
    qCDebug(lcPlayer) << "partner" << partner.id << "prepared with" << mp4;
    return true;
}

bool PartnerPreparation::PreparedFor(const RecordingRef& next) const
{
    const PlaybackChannel& partner = *player_.Current()->partner;
    return next.IsValid() && prepared_ == next && partner.ref == next && partner.slot;
}

void PartnerPreparation::Taken()
{
    opener_.NoteGpsSeen(gpsSeen_);
    prepared_ = tried_ = triedAfter_ = preparedAfter_ = RecordingRef{};
}

void PartnerPreparation::Release()
{
    PlaybackChannel& partner = *player_.Current()->partner;
    if (prepared_.IsValid() && partner.ref == prepared_) {
        qCDebug(lcPlayer) << "partner" << partner.id << "released";
        const pid_t pid = partner.kernelPid;
        ReleaseChannel(partner);
        PlaybackController::ClearChannelTelemetry(partner);
        // A released kernel ends by itself; one that is still there after a grace period (never
        // started, or held up) is a leftover of this viewer and is ended by its pid, unless a
        // channel has taken that pid again meanwhile.
        QTimer::singleShot(kReleaseGraceMs, this, [this, pid] {
            auto holds = [pid](const PlaybackChannel& c) { return c.kernelPid == pid && c.ref.IsValid(); };
            if (pid > 0 && platform::ChildRunning(pid) && !holds(player_.Channel(0)) && !holds(player_.Channel(1))) {
                qCWarning(lcPlayer) << "a released partner kernel was still running; ending it";
                platform::EndChild(pid);
            }
        });
        emit released();
    }
    prepared_ = tried_ = triedAfter_ = preparedAfter_ = RecordingRef{};
}

} // namespace korvane
