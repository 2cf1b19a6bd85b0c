// The player's channel record: set-up, release and close.
#include "player/playback_channel.h"

#include <QLabel>
#include <QWidget>

namespace korvane {

void SetUpChannel(PlaybackChannel& channel, int32_t id, QWidget* panel, QLabel* image, KernelSlot* slot)
{
    channel.panel = panel;
    channel.image = image;
    if (panel && image) {
        if (image->parentWidget() != panel)
            image->setParent(panel);
        image->setGeometry(panel->rect());
        image->setScaledContents(true);
    }
    SetUpKernelClient(channel, id, panel, slot);
    channel.ref = RecordingRef{};
    channel.lines.clear();
}

void ReleaseChannel(PlaybackChannel& channel)
{
    channel.ref = RecordingRef{};
    ReleaseKernel(channel);
}

void CloseChannel(PlaybackChannel& channel)
{
    ReleaseKernel(channel);
    channel.lines.clear();
    channel.lines.shrink_to_fit();
}

void KillStaleEngines(PlaybackChannel& current)
{
    ReleaseChannel(current);
    if (current.partner)
        ReleaseChannel(*current.partner);
    KillStaleEngines(current, current.partner);
}

} // namespace korvane
