#pragma once
// A main window stand-in for the library tests: records what the library asks of it.
#include "kernel/playback_channel.h"
#include "library/library_host.h"
#include "mp4parse/mp4_parser.h"
#include "platform/message_box.h"

#include <QStringList>
#include <QWidget>

namespace korvane::test {

struct RecordingMessages : MessageSink {
    QStringList texts, captions;
    int Show(const QString& caption, const QString& text, BoxIcon, BoxButtons) override
    {
        captions << caption;
        texts << text;
        return kResultOk;
    }
};

class TestHost : public LibraryHost {
public:
    TestHost()
    {
        window.setWindowTitle("Korvane");
        channelA.id = 0;
        channelB.id = 1;
        channelA.partner = &channelB;
        channelB.partner = &channelA;
        channelA.slot = &slotA;
        channelB.slot = &slotB;
        channelA.callerName = channelB.callerName = "Korvane";
    }

    QWidget* MainWindow() override { return &window; }
    PlaybackChannel& CurrentChannel() override { return *current; }
    Mp4Parser& TelemetryParser() override { return parser; }
    bool& GpsSeen() override { return gpsSeen; }
    bool ViewerIdle() const override { return idle; }
    void SetViewerIdle(bool v) override { idle = v; }
    void StartProcessFinish() override { ++processFinish; }
    void StopPlayback() override { ++stops; }
    void StartPlayback() override { ++plays; }
    void StartWaitReady() override { ++waitReady; }
    void SetSelectedCell(ThumbnailCell* c) override { selected = c; }
    void HaltPlayerForOpen() override { ++halts; }
    void ShowTimePanelPerMenu() override {}
    void ResetVideo() override { ++videoResets; }
    void ResetTelemetry(bool followMap) override { telemetryResets << followMap; }
    void ResetButtons() override { ++buttonResets; }
    void ShowGroupSelectors(int group) override { selectors << group; }
    void PrepareMapsForNewFolder() override { ++mapPreparations; }
    void SetDataMenusEnabled(bool e) override { menus << e; }
    void ShowInformation2(const QString& first, const QString& second) override { notices << first + "|" + second; }

    QWidget window;
    KernelSlot slotA{}, slotB{};
    PlaybackChannel channelA, channelB;
    PlaybackChannel* current = &channelA;
    Mp4Parser parser;
    bool gpsSeen = false;
    bool idle = true;
    int processFinish = 0, stops = 0, plays = 0, waitReady = 0, halts = 0, videoResets = 0, buttonResets = 0,
        mapPreparations = 0;
    ThumbnailCell* selected = nullptr;
    QList<bool> telemetryResets, menus;
    QList<int> selectors;
    QStringList notices;
};

} // namespace korvane::test
