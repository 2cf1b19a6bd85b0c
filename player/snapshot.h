#pragma once
// Snapshots: the frame on screen saved at the recording's full resolution as a PNG in the user's
// pictures folder ("<pictures>/Korvane/<stem>_<hh-mm-ss.mmm>.png"), never on the card. The
// frame is decoded by the ffmpeg executable (found as the thumbnail tool is, run with an
// argument vector and an accurate seek to the frame shown), and the file carries the recording's
// name, the position and, when the sample has a fix, its coordinates and speed as PNG text.
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <optional>

#include "mp4parse/telemetry_types.h"

class QProcess;

namespace korvane {

// The user's pictures folder: XDG_PICTURES_DIR from the environment, else from
// "<config home>/user-dirs.dirs", else "<home>/Pictures". Relative values are ignored.
QString PicturesFolder();
QString PicturesFolderFrom(const QString& environmentValue, const QString& configHome, const QString& home);

// "hh<sep>mm<sep>ss.mmm" (hours not limited to two digits) of a position in 100 ns units,
// to the nearest millisecond.
QString SnapshotClock(std::int64_t position100ns, QChar separator);
// "<stem>_<hh-mm-ss.mmm>.png"; characters a file name should not carry become "_".
QString SnapshotFileName(const QString& stem, std::int64_t position100ns);
// The time handed to the decoder so that it returns the frame shown at the position: halfway
// between the start of the frame before and the start of the frame shown (the decoder returns
// the first frame that starts at or after it). Without a frame duration, the position itself.
double SnapshotSeekSeconds(std::int64_t position100ns, std::optional<double> frame100ns);
// -nostdin -hide_banner -loglevel error -ss S -i file:<mp4> -map 0:v:0 -frames:v 1 -c:v png
// -f image2pipe pipe:1
QStringList SnapshotToolArguments(const QString& mp4Path, double seekSeconds);

struct SnapshotRequest {
    QString mp4Path;                        // the recording
    QString recordingName;                  // its file name as shown
    QString stem;                           // the name without its extension
    std::int64_t position100ns = 0;         // the position shown
    std::optional<double> frame100ns;       // the recording's frame duration
    std::optional<TelemetrySample> sample;  // the sample shown, when there is one
    bool mph = false;                       // the speed text in miles per hour
    QString toolPath;                       // the ffmpeg executable; empty: none found
    QString workingFolder;                  // where a link for a name the tool cannot take goes
    QString outputFolder;                   // "<pictures>/Korvane"
    QStringList cardFolders;                // folders nothing may be written into
};

// The PNG text entries of a snapshot: Recording, Position, Software and, when the sample has a
// fix, Latitude, Longitude and (when known) Speed, and the camera's clock as Creation Time.
QMap<QString, QString> SnapshotTexts(const SnapshotRequest& request);

// True when `folder` is one of `cardFolders` or lies inside one (compared after resolving links).
bool InsideCard(const QString& folder, const QStringList& cardFolders);

// Takes snapshots one after the other; requests made while one is decoding wait their turn.
class SnapshotTaker : public QObject {
    Q_OBJECT
public:
    explicit SnapshotTaker(QObject* parent = nullptr);
    ~SnapshotTaker() override;

    void Take(const SnapshotRequest& request);
    bool Busy() const { return process_ != nullptr || !queue_.isEmpty(); }

    int toolTimeoutMs = 30000;

signals:
    void saved(const QString& path);
    // `detail` names what failed (the folder, the tool, the file).
    void failed(const QString& detail);

private:
    void StartNext();
    void ToolFinished();
    void Fail(const QString& detail);

    QList<SnapshotRequest> queue_;
    SnapshotRequest current_;
    QProcess* process_ = nullptr;
    QTimer timeout_;
};

} // namespace korvane
