#pragma once
// The About dialog's hidden switch: four clicks on its key area, each within 5 seconds of the
// one before, toggle the main window's diagnostics panel. The dialog's 5-second timer, restarted
// by every click, sets the count back to 0; the clock is passed in so the rule runs without
// waiting.
#include <QtGlobal>
#include <optional>

namespace korvane {

class KeyClickCounter {
public:
    static constexpr qint64 kResetMs = 5000;

    // One click at `nowMs`; true when it toggles the panel.
    bool Click(qint64 nowMs);
    // The timer fired: the count starts over.
    void Reset() { clickCount_ = 0; }
    int clickCount() const { return clickCount_; }

private:
    int clickCount_ = 0;
    std::optional<qint64> lastClick_;
};

} // namespace korvane
