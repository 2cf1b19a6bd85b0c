#pragma once
// Continuous play's partner made ready ahead of time. While the current recording plays its last
// seconds, the next recording of the grid is opened in the partner channel: its telemetry is
// loaded and its kernel launched into the hidden partner panel, where it builds its graph and
// holds its first frame. At the end of the current recording the controller then only has to
// show the partner panel and start it.
//
// Nothing of this is seen until the switch: the partner's recording is not highlighted, its
// telemetry reaches no display and a partner that fails says nothing (the switch then opens the
// next recording the ordinary way, which reports it).
#include <QObject>
#include <cstdint>

#include "library/recording_ref.h"

namespace korvane {

class PlaybackController;
class RecordingLibrary;
class RecordingOpener;

class PartnerPreparation : public QObject {
    Q_OBJECT
public:
    PartnerPreparation(PlaybackController& player, RecordingLibrary& library, RecordingOpener& opener,
                       QObject* parent = nullptr);

    // How far from the end of the current recording the partner is prepared, in tenths.
    static constexpr std::int64_t kLeadTenths = 40;

    // From the playback tick while playing: prepares the next recording once the current one has
    // at most kLeadTenths left. Each next recording is tried once while the current one plays.
    void Tick(std::int64_t positionTenths);
    // True when the partner channel holds `next` with its kernel launched (ready or not).
    bool PreparedFor(const RecordingRef& next) const;
    // The switch takes the prepared partner as the current channel; what its telemetry load
    // found now counts.
    void Taken();
    // Lets a prepared partner go at once (its kernel ends by itself) and forgets it; nothing
    // happens when none is prepared.
    void Release();
    // The recording prepared in the partner channel; invalid when none.
    const RecordingRef& Prepared() const { return prepared_; }

signals:
    // The partner channel holds `next` with its kernel launched.
    void prepared(const RecordingRef& next);
    // A prepared partner was let go before the switch took it.
    void released();

private:
    bool Prepare(const RecordingRef& next);

    PlaybackController& player_;
    RecordingLibrary& library_;
    RecordingOpener& opener_;
    RecordingRef prepared_;
    RecordingRef preparedAfter_;   // the current recording the partner was prepared for
    RecordingRef tried_;           // the last next recording tried, with the recording before it
    RecordingRef triedAfter_;
    bool gpsSeen_ = false;
};

} // namespace korvane
