#include "tile_server.h"

#include <QFile>
#include <QTcpServer>

namespace korvane {

TileServer::TileServer()
{
    process_.setProgram(QStringLiteral("python3"));
    process_.setArguments({QStringLiteral(KORVANE_TILE_SERVER), dir_.filePath(QStringLiteral("requests.log"))});
    process_.start();
    if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(10000))
        return;
    const QByteArray line = process_.readLine().trimmed();
    if (line.startsWith("PORT "))
        port_ = line.mid(5).toInt();
}

TileServer::~TileServer()
{
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QString TileServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
}

QStringList TileServer::Log() const
{
    QFile file(dir_.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList TileServer::Requests() const
{
    QStringList paths;
    for (const QString& line : Log())
        paths << line.section(QLatin1Char(' '), 0, 0);
    return paths;
}

void TileServer::SetOnline(bool online)
{
    QFile flag(dir_.filePath(QStringLiteral("online")));
    if (online)
        flag.open(QIODevice::WriteOnly);
    else
        flag.remove();
}

void TileServer::ClearLog() { QFile::remove(dir_.filePath(QStringLiteral("requests.log"))); }

int TileServer::ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace korvane
