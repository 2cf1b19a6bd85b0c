#pragma once
// Layout inputs for the tests: a window of a given client size at a display percentage, with
// the form's own sizes scaled the way the widget layer scales them.
#include "ui/apply_layout.h"
#include "ui/display_scale.h"

inline korvane::LayoutInput MakeInput(int percent, int width, int height, qint64 duration = 0)
{
    const double s = korvane::ScaleFromPercent(percent);
    // Time labels as 7 pixels per character by 17 at 100 %, scaled like the labels below.
    korvane::LayoutInput in([s](const QString& text) {
        return QSize(static_cast<int>(7 * text.size() * s), static_cast<int>(17 * s));
    });
    in.scalePercent = percent;
    in.clientWidth = width;
    in.clientHeight = height;
    in.statusBarHeight = static_cast<int>(20 * s);
    in.titleHeight = static_cast<int>(30 * s);
    in.playButton = QSize(static_cast<int>(48 * s), static_cast<int>(48 * s));
    in.seekTrackHeight = static_cast<int>(15 * s);
    in.seekControlHeight = static_cast<int>(18 * s);
    in.duration = duration;
    // Labels in points grow with the screen's density: at 100 % an Arial 11 label is 17 pixels
    // high and 7 pixels per character wide.
    auto scaled = [s](int w, int h) { return QSize(static_cast<int>(w * s), static_cast<int>(h * s)); };
    in.seekTimeLabel = scaled(50, 14);
    in.clockLabel = scaled(56, 17);
    in.gLabel = scaled(36, 17);
    in.speedTopLabel = scaled(62, 17);
    in.kmhLabel = scaled(45, 23);
    in.speedLabel = scaled(50, 62);
    in.timePanelHeight = static_cast<int>(20 * s);
    in.wordNormalHeight = in.wordEventHeight = static_cast<int>(20 * s);
    in.lbT05Width = static_cast<int>(14 * s);
    return in;
}
