#pragma once
// The other channels of a moment (rear, interior, ...) while its main channel plays: each in a
// kernel of its own (the main channel's set of slots), drawing into an inset over the video
// panel, kept in step with the main channel by a 50 ms tick that follows the main kernel's
// position and state: play, pause, stop, seeks and frame steps of the main channel reach the
// others through it. A recording of one channel never gets here: without other channels nothing
// is launched and the player plays as it always has.
#include "kernel/kernel_client.h"
#include "library/recording_ref.h"
#include "player/channel_sync.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <memory>

class QWidget;

namespace korvane {

class PlaybackController;
class RecordingLibrary;
struct CameraMoment;
struct PlaybackChannel;
enum class PlayState;

// Where the kernel of `client` stands at `nowMs` (SlotClockMs): its last report carried forward
// from the instant it was read while its graph runs.
std::int64_t PositionAt(const KernelClient& client, uint32_t nowMs);

class MomentChannels : public QObject {
    Q_OBJECT
public:
    MomentChannels(PlaybackController& player, RecordingLibrary& library, QObject* parent = nullptr);
    ~MomentChannels() override;

    // Setup > "Show other channels": unchecked, the insets are hidden and their kernels let go.
    void SetShown(bool shown);
    bool Shown() const { return shown_; }
    // The video panels were placed again: the insets follow.
    void Relayout();

    // The other channels of the moment playing now, in the insets' order.
    int Count() const { return int(others_.size()); }
    // The other channels launched with continuous play's prepared next recording, until the switch.
    int PreparedCount() const { return int(next_.size()); }
    const KernelClient& PreparedClient(int i) const;
    QChar Letter(int i) const;
    // The main channel's letter (empty when no other channel plays) and channel i's recording.
    QChar MainLetter() const { return mainLetter_; }
    QString Path(int i) const;
    const KernelClient& Client(int i) const;
    QWidget* Inset(int i) const;
    bool Lost(int i) const;
    // How far channel i started after the main one (100 ns units), once its kernel is ready.
    std::int64_t Lead(int i) const;
    // The channel whose inset shows the main channel instead (a click swapped them), -1 none.
    int Swapped() const { return swapped_; }
    // Swaps inset `i` with the main panel; the same inset again swaps them back. The sound goes
    // with the big picture: only the channel filling the panel is heard.
    void Swap(int i);

signals:
    // The kernel of another channel has gone; the main channel plays on.
    void channelLost(QChar letter, const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Other;
    // The moment of the main channel's recording; null for a recording of one channel.
    const CameraMoment* MomentOf(const PlaybackChannel& main) const;
    // Launches a kernel for every other channel of `moment` in `main`'s set of slots, drawing
    // into `insets` (made as needed, named prefix + number, hidden until the channel is ready).
    void Launch(const PlaybackChannel& main, const CameraMoment& moment,
                QList<std::shared_ptr<Other>>& into, QList<QPointer<QWidget>>& insets,
                const QString& prefix);
    void Start();
    // The other channels of continuous play's prepared next recording, launched beside it.
    void PrepareNext();
    void ReleaseNext();
    void ReleaseAll();
    void Tick();
    void Follow(Other& other, std::int64_t mainPosition, bool playing, uint32_t nowMs);
    void Place();
    // Lets only the channel in the whole panel be heard; the others' kernels stay silent.
    void RouteSound();
    QWidget* MainPanel() const;
    QRect FullRect() const;

    PlaybackController& player_;
    RecordingLibrary& library_;
    QList<std::shared_ptr<Other>> others_;
    QList<QPointer<QWidget>> insets_;      // made on first use, kept for the next moments
    // The next moment's channels, prepared with continuous play's partner; taken at the switch.
    QList<std::shared_ptr<Other>> next_;
    QList<QPointer<QWidget>> nextInsets_;
    RecordingRef nextMoment_;
    RecordingRef moment_;         // the main channel's recording the others belong to
    ChannelClock mainClock_;
    QChar mainLetter_;
    double frame100ns_ = 10000000.0 / 30;
    int swapped_ = -1;
    QPointer<QWidget> swappedMain_;          // the main panel made small by the swap
    KernelClient* silencedMain_ = nullptr;   // the main channel kept silent while swapped
    bool shown_ = true;
    QTimer tick_;
};

} // namespace korvane
