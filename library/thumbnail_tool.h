#pragma once
// The thumbnail tool: the ffmpeg executable in the program folder, else the one on PATH. It
// runs with an argument vector (no shell), so any character in a path is safe, and writes one
// 80 by 60 BMP picture per recording.
#include <QString>
#include <QStringList>

namespace korvane {

// Empty when neither the program folder nor PATH holds an executable "ffmpeg".
QString FindThumbnailTool(const QString& programFolder);

// -i <mp4> -s 80x60 -r 1 -frames:v 1 <bmp>
QStringList ThumbnailToolArguments(const QString& mp4Path, const QString& bmpPath);

} // namespace korvane
