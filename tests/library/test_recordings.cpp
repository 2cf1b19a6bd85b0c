#include "test_recordings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace korvane::test {

QString SmallMp4()
{
    static QTemporaryDir dir;
    static QString path;
    if (!path.isEmpty())
        return path;
    const QString out = dir.path() + "/small.mp4";
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("ffmpeg", {"-v", "error", "-nostdin", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=10", "-t", "1",
                       "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-y", out});
    if (!p.waitForFinished(60000) || p.exitCode() != 0 || !QFile::exists(out))
        return QString();
    path = out;
    return path;
}

bool CopyRecordings(const QString& folder, const QStringList& names)
{
    const QString src = SmallMp4();
    if (src.isEmpty())
        return false;
    for (const QString& n : names)
        if (!QFile::copy(src, folder + "/" + n))
            return false;
    return true;
}

QString StampName(int index, const QString& prefix)
{
    const int h = 12 + index / 3600, m = (index / 60) % 60, s = index % 60;
    return prefix + QStringLiteral("20230101%1%2%3.MP4").arg(h, 2, 10, QChar('0')).arg(m, 2, 10, QChar('0')).arg(s, 2, 10, QChar('0'));
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

} // namespace korvane::test
