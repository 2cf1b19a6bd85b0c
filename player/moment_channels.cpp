#include "player/moment_channels.h"

#include "kernel/kernel_link.h"
#include "kernel/moment_slots.h"
#include "library/camera_forms.h"
#include "library/catalogue.h"
#include "library/recording_library.h"
#include "player/frame_timing.h"
#include "player/partner_preparation.h"
#include "player/playback_controller.h"
#include "player/player_log.h"
#include "ui/main_window.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <cstdlib>

namespace korvane {
namespace {
constexpr int kTickMs = 50;
// A channel just asked to seek is left alone this long, so that its next reports show the seek.
constexpr int kSettleTicks = 4;
// While playing, a drift the kernel cannot take out by a change of speed (its graph refused it) is
// taken out by a seek once it exceeds this many frames (a seek on a playing kernel shows).
constexpr double kPlayingSeekFrames = 3.0;
} // namespace

struct MomentChannels::Other {
    QChar letter;
    QString path;
    ChannelClock clock;
    std::unique_ptr<KernelClient> client = std::make_unique<KernelClient>();
    std::unique_ptr<KernelLink> link;
    QPointer<QWidget> inset;
    std::int64_t lead = 0;
    bool ready = false;
    bool running = false;
    bool lost = false;
    int settle = 0;
    int refusedTicks = 0;   // passes the kernel has not played at the speed asked for
};

MomentChannels::MomentChannels(PlaybackController& player, RecordingLibrary& library, QObject* parent)
    : QObject(parent), player_(player), library_(library)
{
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &MomentChannels::Tick);
    connect(&player_, &PlaybackController::playbackStarted, this, [this] { Start(); });
    connect(&player_, &PlaybackController::playerReset, this, [this] {
        ReleaseAll();
        ReleaseNext();
    });
    // Continuous play's next recording made ready before the end: its other channels too.
    connect(&player_.Partner(), &PartnerPreparation::prepared, this, [this] { PrepareNext(); });
    connect(&player_.Partner(), &PartnerPreparation::released, this, [this] { ReleaseNext(); });
    // Play, pause and stop reach the others at once rather than on the next tick.
    connect(&player_, &PlaybackController::playStateChanged, this, [this] {
        if (!others_.isEmpty())
            Tick();
    });
}

QChar MomentChannels::Letter(int i) const { return others_[i]->letter; }
const KernelClient& MomentChannels::Client(int i) const { return *others_[i]->client; }
const KernelClient& MomentChannels::PreparedClient(int i) const { return *next_[i]->client; }
QWidget* MomentChannels::Inset(int i) const { return others_[i]->inset; }
QString MomentChannels::Path(int i) const { return others_[i]->path; }
bool MomentChannels::Lost(int i) const { return others_[i]->lost; }
std::int64_t MomentChannels::Lead(int i) const { return others_[i]->lead; }

MomentChannels::~MomentChannels()
{
    // The window, its panels and the player may have gone before: only the kernels are let go.
    for (const auto& other : others_)
        ReleaseKernel(*other->client);
    for (const auto& other : next_)
        ReleaseKernel(*other->client);
}

QWidget* MomentChannels::MainPanel() const
{
    const PlaybackChannel* main = player_.Current();
    return main ? main->panel : nullptr;
}

QRect MomentChannels::FullRect() const
{
    // The partner's panel is never swapped: the layout gives it the whole video area.
    const PlaybackChannel* main = player_.Current();
    if (main && main->partner && main->partner->panel)
        return main->partner->panel->geometry();
    QWidget* panel = MainPanel();
    return panel ? panel->geometry() : QRect();
}

const CameraMoment* MomentChannels::MomentOf(const PlaybackChannel& main) const
{
    if (!main.panel || !main.ref.IsValid())
        return nullptr;
    const RecordingCatalogue& catalogue = library_.Catalogue();
    const auto found = catalogue.moments.constFind(main.ref.name);
    if (found == catalogue.moments.cend() || found->channels.size() < 2)
        return nullptr;   // a recording of one channel: nothing more to play
    return &*found;
}

void MomentChannels::Launch(const PlaybackChannel& main, const CameraMoment& moment,
                            QList<std::shared_ptr<Other>>& into, QList<QPointer<QWidget>>& insets,
                            const QString& prefix)
{
    const RecordingCatalogue& catalogue = library_.Catalogue();
    const QChar mainLetter = moment.CellChannel();
    const auto mainName = ParseFormName(moment.channels.value(mainLetter));
    const double mainStart = mainName ? mainName->start : moment.start;
    QWidget* parent = main.panel->parentWidget();
    const int set = main.id == 1 ? 1 : 0;
    for (auto it = moment.channels.cbegin(); it != moment.channels.cend(); ++it) {
        if (it.key() == mainLetter)
            continue;
        const int index = int(into.size());
        if (index + 1 >= kMaxMomentChannels)
            break;
        if (insets.size() <= index)
            insets.resize(index + 1);
        if (!insets[index]) {
            auto* inset = new VideoPanel(parent);
            inset->setObjectName(prefix + QString::number(index + 1));
            inset->installEventFilter(this);
            inset->hide();
            insets[index] = inset;
        }
        auto other = std::make_shared<Other>();
        other->letter = it.key();
        other->path = RecordingPath(catalogue.recordingFolder, it.value());
        const auto name = ParseFormName(it.value());
        other->clock.startSeconds = name ? name->start : mainStart;
        other->inset = insets[index];
        other->link = std::make_unique<KernelLink>(*other->client);
        connect(other->link.get(), &KernelLink::gone, this, [this] { Tick(); });
        other->client->launchFolder = main.launchFolder;
        other->client->callerName = main.callerName;
        other->client->muted = true;   // only the main channel is heard
        if (!SetUpMomentClient(*other->client, set, index + 1, other->inset) ||
            !LaunchKernel(*other->client, other->path)) {
            qCWarning(lcPlayer) << "channel" << other->letter << "of" << main.ref.name << "cannot be played";
            other->lost = true;
        }
        into << other;
    }
}

void MomentChannels::Start()
{
    ReleaseAll();
    const PlaybackChannel* main = player_.Current();
    const CameraMoment* moment = (shown_ && main) ? MomentOf(*main) : nullptr;
    // The channels prepared for this recording before the switch are taken as they are: their
    // kernels hold their first frames already and follow the main one from this pass on.
    const bool adopt = moment && !next_.isEmpty() && nextMoment_ == main->ref;
    if (!adopt)
        ReleaseNext();
    if (!moment)
        return;
    const QChar mainLetter = moment->CellChannel();
    mainLetter_ = mainLetter;
    const auto mainName = ParseFormName(moment->channels.value(mainLetter));
    ChannelClock mainClock{mainName ? mainName->start : moment->start, main->duration};
    frame100ns_ = ReadFrameDuration(main->mediaPath).value_or(10000000.0 / 30);
    moment_ = main->ref;
    main->panel->installEventFilter(this);
    if (adopt) {
        others_ = next_;
        next_.clear();
        nextMoment_ = RecordingRef{};
        std::swap(insets_, nextInsets_);
        qCDebug(lcPlayer) << "the prepared channels of" << main->ref.name << "taken";
    } else {
        Launch(*main, *moment, others_, insets_, QStringLiteral("plChannel"));
    }
    mainClock_ = mainClock;
    Place();
    tick_.start();
    if (adopt)
        Tick();
}

void MomentChannels::PrepareNext()
{
    ReleaseNext();
    const PlaybackChannel* main = player_.Current();
    const PlaybackChannel* partner = main ? main->partner : nullptr;
    const CameraMoment* moment = (shown_ && partner) ? MomentOf(*partner) : nullptr;
    if (!moment)
        return;
    Launch(*partner, *moment, next_, nextInsets_, QStringLiteral("plNextChannel"));
    nextMoment_ = partner->ref;
}

void MomentChannels::ReleaseNext()
{
    for (const auto& other : next_) {
        ReleaseKernel(*other->client);
        if (other->inset)
            other->inset->hide();
    }
    next_.clear();
    nextMoment_ = RecordingRef{};
}

void MomentChannels::ReleaseAll()
{
    tick_.stop();
    if (swapped_ >= 0)
        Swap(swapped_);
    for (const auto& other : others_) {
        ReleaseKernel(*other->client);
        if (other->inset)
            other->inset->hide();
    }
    others_.clear();
    moment_ = RecordingRef{};
    mainLetter_ = QChar();
}

void MomentChannels::SetShown(bool shown)
{
    if (shown_ == shown)
        return;
    shown_ = shown;
    if (!shown) {
        ReleaseAll();
        ReleaseNext();
    }
    else if (player_.Current() && player_.Current()->ref.IsValid() && player_.Current()->slot &&
             player_.Current()->slot->ready.load())
        Start();
}

void MomentChannels::Tick()
{
    const PlaybackChannel* main = player_.Current();
    // Another recording (continuous play switched, a new one opened): these channels are done.
    if (!main || !(main->ref == moment_)) {
        ReleaseAll();
        return;
    }
    if (!main->slot || main->slot->ready.load() == 0)
        return;
    // Every position is taken at the same instant: each kernel's report carried forward from when
    // it was read, so two kernels' passes falling at different times do not show as drift.
    const uint32_t now = SlotClockMs();
    const std::int64_t position = PositionAt(*main, now);
    const bool playing = player_.State() == PlayState::Playing;
    for (const auto& other : others_)
        Follow(*other, position, playing, now);
}

std::int64_t PositionAt(const KernelClient& client, uint32_t nowMs)
{
    const StampedPosition read = ReadStamped(client);
    if (read.clockMs == 0)
        return ReadPosition(client);
    return PositionNow(read.position, SlotClockSpan(read.clockMs, nowMs), GraphRunning(client),
                       client.slot ? client.slot->playingRate.load() : 0);
}

void MomentChannels::Follow(Other& other, std::int64_t mainPosition, bool playing, uint32_t now)
{
    KernelClient& client = *other.client;
    if (other.lost)
        return;
    if (KernelGone(client)) {
        other.lost = true;
        other.inset->hide();
        qCWarning(lcPlayer) << "the kernel of channel" << other.letter << "(" << other.path << ") has gone";
        emit channelLost(other.letter, other.path);
        return;
    }
    if (!other.ready) {
        if (!ReadDuration(client))
            return;
        other.ready = true;
        other.clock.duration100ns = client.duration;
        mainClock_.duration100ns = player_.Current()->duration;
        other.lead = ChannelLead(mainClock_, other.clock);
        Place();
        other.inset->show();
        other.inset->raise();
        RequestFitVideo(client);
    }
    if (other.settle > 0) {
        --other.settle;
        return;
    }
    const ChannelTarget target = TargetFor(mainPosition, other.lead, client.duration, frame100ns_);
    const bool run = ShouldRun(target, playing);
    if (run != other.running) {
        other.running = run;
        if (run)
            RequestPlay(client);
        else
            RequestPause(client);
    }
    const std::int64_t at = PositionAt(client, now);
    const int asked = client.slot ? client.slot->rateOffset.load() : 0;
    const SyncStep step = NextSyncStep(target, at, frame100ns_, other.running, asked);
    // A graph that will not change its speed is brought back by a seek once a few frames off.
    const bool refused = asked != 0 && client.slot && client.slot->playingRate.load() != asked;
    other.refusedTicks = refused ? other.refusedTicks + 1 : 0;
    const bool stuck = other.refusedTicks > kSettleTicks &&
                       double(std::llabs(at - target.position)) > kPlayingSeekFrames * frame100ns_;
    if (step.action == SyncAction::Rate && !stuck) {
        SetRateOffset(client, step.rateOffset);
        return;
    }
    if ((step.action == SyncAction::Seek || stuck) && client.slot && client.slot->seekRequest.load() < 0) {
        SetRateOffset(client, 0);   // a seek plays at normal speed
        RequestSeek(client, target.position);
        other.settle = kSettleTicks;
        other.refusedTicks = 0;
    }
}

void MomentChannels::Place()
{
    const QRect full = FullRect();
    const QList<QRect> rects = InsetRects(full.size(), int(others_.size()));
    QWidget* main = MainPanel();
    for (int i = 0; i < others_.size() && i < rects.size(); ++i) {
        const QRect small = rects[i].translated(full.topLeft());
        if (i == swapped_) {
            others_[i]->inset->setGeometry(full);
            if (main)
                main->setGeometry(small);
        } else {
            others_[i]->inset->setGeometry(small);
        }
    }
    // The whole area below, the small pictures above it.
    if (swapped_ >= 0) {
        others_[swapped_]->inset->lower();
        if (main)
            main->raise();
    }
    for (int i = 0; i < others_.size(); ++i)
        if (i != swapped_)
            others_[i]->inset->raise();
}

void MomentChannels::Relayout()
{
    if (others_.isEmpty())
        return;
    Place();
    for (const auto& other : others_)
        if (other->ready && !other->lost)
            RequestFitVideo(*other->client);
}

void MomentChannels::Swap(int i)
{
    if (i < 0 || i >= others_.size())
        return;
    QWidget* main = MainPanel();
    const bool back = swapped_ == i;
    if (swapped_ >= 0) {
        // The panel made small goes back to the whole area, which the swapped inset holds. It is
        // the one swapped, not necessarily the main one now: continuous play may have switched
        // panels meanwhile, and then the swap is undone as the next moment starts.
        QWidget* small = swappedMain_ ? swappedMain_.data() : main;
        if (small)
            small->setGeometry(others_[swapped_]->inset->geometry());
    }
    swapped_ = back ? -1 : i;
    swappedMain_ = back ? nullptr : main;
    Place();
    RouteSound();
    if (!back && main)
        main->show();
    if (PlaybackChannel* current = player_.Current(); current && current->slot && current->slot->ready.load())
        RequestFitVideo(*current);
    for (const auto& other : others_)
        if (other->ready && !other->lost)
            RequestFitVideo(*other->client);
}

void MomentChannels::RouteSound()
{
    PlaybackChannel* main = player_.Current();
    // A main channel silenced for a moment that has gone (continuous play switched meanwhile) is
    // heard again when it next plays; its kernel of that moment is done.
    if (silencedMain_ && silencedMain_ != main)
        silencedMain_->muted = false;
    silencedMain_ = nullptr;
    if (main) {
        SetKernelMuted(*main, swapped_ >= 0);
        if (swapped_ >= 0)
            silencedMain_ = main;
    }
    for (int i = 0; i < others_.size(); ++i)
        SetKernelMuted(*others_[i]->client, i != swapped_);
}

bool MomentChannels::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < others_.size(); ++i)
            if (others_[i]->inset == watched) {
                // A click on the big picture (the swapped channel) swaps it back.
                Swap(i);
                return true;
            }
    }
    if (event->type() == QEvent::MouseButtonPress && watched == MainPanel() && swapped_ >= 0) {
        Swap(swapped_);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvane
