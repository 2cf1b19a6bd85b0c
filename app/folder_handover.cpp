#include "app/folder_handover.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QTimer>
#include <QtEndian>

#include "platform/file_name_bytes.h"

Q_LOGGING_CATEGORY(lcHandover, "korvane.app.handover")

namespace korvane {
namespace {
const QByteArray kGreeting = "KORVANE-OPEN 1\n";
constexpr quint32 kMaxFolderBytes = 64 * 1024;
constexpr int kReadDeadlineMs = 2000;
} // namespace

FolderListener::FolderListener(QObject* parent) : QObject(parent) {}

FolderListener::~FolderListener()
{
    if (server_)
        server_->close();   // removes the socket file
}

bool FolderListener::Listen(const QString& socketPath)
{
    if (socketPath.isEmpty())
        return false;
    QLocalServer::removeServer(socketPath);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath)) {
        qCWarning(lcHandover) << "cannot listen for folders at" << socketPath << ":" << server_->errorString();
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &FolderListener::Accept);
    return true;
}

void FolderListener::Accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        // A peer that never sends a whole request is let go.
        QTimer::singleShot(kReadDeadlineMs, socket, [socket] { socket->abort(); });
    }
}

void FolderListener::Read(QLocalSocket* socket)
{
    const qint64 header = kGreeting.size() + 4;
    if (socket->bytesAvailable() < header)
        return;
    const QByteArray start = socket->peek(header);
    const quint32 length = qFromBigEndian<quint32>(start.constData() + kGreeting.size());
    if (!start.startsWith(kGreeting) || length == 0 || length > kMaxFolderBytes) {
        qCWarning(lcHandover) << "a request that is not a folder was refused";
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < header + length)
        return;
    socket->read(header);
    const QString folder = DecodeFileNameBytes(socket->read(length));
    socket->write("OK\n");
    socket->flush();
    qCInfo(lcHandover) << "folder handed over:" << folder;
    emit folderHanded(folder);
}

bool HandFolderTo(const QString& socketPath, const QString& folder, int timeoutMs)
{
    const QByteArray bytes = EncodeFileNameBytes(folder);
    if (socketPath.isEmpty() || bytes.isEmpty() || quint32(bytes.size()) > kMaxFolderBytes)
        return false;
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs)) {
        qCWarning(lcHandover) << "no running viewer listens at" << socketPath << ":" << socket.errorString();
        return false;
    }
    char length[4];
    qToBigEndian<quint32>(quint32(bytes.size()), length);
    socket.write(kGreeting + QByteArray(length, 4) + bytes);
    while (socket.bytesToWrite() > 0 && clock.elapsed() < timeoutMs)
        socket.waitForBytesWritten(int(qMax<qint64>(1, timeoutMs - clock.elapsed())));
    while (!socket.canReadLine() && clock.elapsed() < timeoutMs)
        if (!socket.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - clock.elapsed()))))
            break;
    const bool taken = socket.canReadLine() && socket.readLine() == "OK\n";
    if (!taken)
        qCWarning(lcHandover) << "the running viewer did not take" << folder;
    return taken;
}

} // namespace korvane
