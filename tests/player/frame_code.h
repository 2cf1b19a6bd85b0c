#pragma once
// The frame number the benchmark's fixtures carry in a strip across the middle of each picture
// (clear of the clock overlay at the top and the insets at the bottom):
// sixteen blocks, white for a one, the frame number in blocks 0 to 12 and that number modulo 7
// in blocks 13 to 15 as a check (tools/bench_moment/make_moments.sh and the player tests'
// make_fixtures.sh draw them).
#include <QImage>
#include <QRect>
#include <optional>

namespace korvane::bench {

// The number shown in `picture` within `area` (the video's picture as drawn on the screen);
// nothing when the strip cannot be read or its check fails (a torn or blurred capture).
inline std::optional<int> ReadFrameCode(const QImage& picture, const QRect& area)
{
    if (area.width() < 32 || area.height() < 24)
        return std::nullopt;
    int number = 0, check = 0;
    for (int block = 0; block < 16; ++block) {
        const int x = area.left() + int((block + 0.5) * area.width() / 16.0);
        const int y = area.top() + area.height() / 2;   // the middle of the strip's height
        if (!picture.rect().contains(x, y))
            return std::nullopt;
        const int grey = qGray(picture.pixel(x, y));
        if (grey > 80 && grey < 176)
            return std::nullopt;   // neither black nor white: not a clean read
        if (grey >= 176) {
            if (block < 13)
                number |= 1 << block;
            else
                check |= 1 << (block - 13);
        }
    }
    if (number % 7 != check)
        return std::nullopt;
    return number;
}

// Where a picture of `video` proportions is drawn inside `panel`: as large as fits, centred.
inline QRect FittedPicture(const QRect& panel, const QSize& video)
{
    if (video.isEmpty() || panel.isEmpty())
        return panel;
    const QSize drawn = video.scaled(panel.size(), Qt::KeepAspectRatio);
    return QRect(panel.left() + (panel.width() - drawn.width()) / 2,
                 panel.top() + (panel.height() - drawn.height()) / 2, drawn.width(), drawn.height());
}

} // namespace korvane::bench
