#pragma once
// The loopback tile server of the map tests (tile_server.py in a child process): tiles, the
// connectivity page, the update page, and a log of every request.
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace korvane {

class TileServer {
public:
    TileServer();
    ~TileServer();
    bool Running() const { return port_ > 0; }
    int port() const { return port_; }
    QString Url(const QString& path) const;
    // Every request path so far, in order.
    QStringList Requests() const;
    // Lines of the log (path and user agent).
    QStringList Log() const;
    void ClearLog();
    // Whether /switched/ answers 200 (online) or 503.
    void SetOnline(bool online);
    // A loopback port nobody listens on.
    static int ClosedPort();

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

} // namespace korvane
