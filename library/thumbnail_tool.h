#pragma once
// The thumbnail tool: the ffmpeg executable installed beside the program's own executable, else
// the one on PATH (absolute entries only). Never one in the start folder or the recording folder:
// those are the card. It runs with an argument vector (no shell), so any character in a path is
// safe, and writes one 80 by 60 BMP picture per recording.
#include <QString>
#include <QStringList>

namespace korvane {

// Empty when neither `installFolder` (the folder of the program's executable) nor an absolute
// PATH entry holds an executable "ffmpeg".
QString FindThumbnailTool(const QString& installFolder);

// -nostdin -n -i file:<mp4> -s 80x60 -r 1 -frames:v 1 -update 1 file:<bmp>
// The picture path is written as is, never read as an image-sequence pattern.
QStringList ThumbnailToolArguments(const QString& mp4Path, const QString& bmpPath);

// The picture path in arguments made by ThumbnailToolArguments.
QString ThumbnailToolOutput(const QStringList& arguments);
// The recording path in arguments made by ThumbnailToolArguments.
QString ThumbnailToolInput(const QStringList& arguments);

// The tool gets its arguments as UTF-8 text, so a recording whose name is not UTF-8 is handed
// to it through a link with a plain name in the working folder: "<workingFolder>/.input-<n>.MP4".
// Returns the path to give the tool (`recordingPath` itself when no link is needed, empty when
// the link cannot be made).
QString ToolInputPath(const QString& recordingPath, const QString& workingFolder, int n);
// True for such a link's name.
bool IsToolInputLinkName(const QString& name);

// A picture the grids can show: a non-empty file that decodes. A 0-byte file (a full disk) or
// a damaged one is not a thumbnail.
bool IsUsableThumbnail(const QString& bmpPath);

} // namespace korvane
