#pragma once
// "korvane FOLDER" while this user's viewer runs: the second process hands the folder to the
// running viewer through a local socket in the viewer's private folder (beside its lock) and
// ends; the running viewer raises its window and opens the folder.
//
// What goes over the socket: "KORVANE-OPEN 1\n", the folder's bytes as a 4-byte big-endian
// length and the bytes themselves (a name may hold any byte but '/' and NUL); the viewer
// answers "OK\n" once it has taken the folder.
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace korvane {

class FolderListener : public QObject {
    Q_OBJECT
public:
    explicit FolderListener(QObject* parent = nullptr);
    ~FolderListener() override;
    // Listens at `socketPath` (only this user may connect). A socket left there by a viewer that
    // ended without closing it is removed first: the caller holds the lock, so nobody else
    // listens there.
    bool Listen(const QString& socketPath);

signals:
    void folderHanded(const QString& folder);

private:
    void Accept();
    void Read(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
};

// Hands `folder` to the viewer that listens at `socketPath`; true once it has answered that it
// took it. Gives up after `timeoutMs`.
bool HandFolderTo(const QString& socketPath, const QString& folder, int timeoutMs = 3000);

} // namespace korvane
