#include "ui/click_counter.h"

namespace korvane {

bool KeyClickCounter::Click(qint64 nowMs)
{
    // The timer restarted by the previous click has fired in between.
    if (lastClick_ && nowMs - *lastClick_ >= kResetMs)
        Reset();
    lastClick_ = nowMs;
    const int before = clickCount_;
    ++clickCount_;
    if (before < 3)
        return false;
    clickCount_ = 0;
    return true;
}

} // namespace korvane
