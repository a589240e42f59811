#include "platform/ui/InstanceHandover.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDataStream>
#include <QLocalSocket>
#include <QStringList>

#include "platform/foundation/Paths.h"
#include "platform/ui/QtStrings.h"

namespace {
// Long enough for a busy desktop, short enough that a hung instance does not hang the start.
constexpr int kTimeoutMilliseconds = 5000;
constexpr char kReceived = '1';
}  // namespace

QString InstanceHandover::serverName() {
    const QByteArray home = QByteArray::fromStdString(Paths::applicationHome());
    const QByteArray digest = QCryptographicHash::hash(home, QCryptographicHash::Sha256).toHex();
    return QString("varnelo-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest.left(16)));
}

bool InstanceHandover::handOverToRunningInstance(const std::vector<std::string>& paths) {
    QLocalSocket socket;
    socket.connectToServer(serverName());
    // A stale socket file refuses the connection at once.
    if (!socket.waitForConnected(kTimeoutMilliseconds)) return false;
    QStringList list;
    for (const std::string& path : paths) list.append(toQString(path));
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << list;
    socket.write(message);
    if (!socket.waitForBytesWritten(kTimeoutMilliseconds)) return false;
    // Ending before the instance has read the files could lose them with the connection.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(kTimeoutMilliseconds)) return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kReceived;
}

bool InstanceHandover::listen(Receiver receiver) {
    receiver_ = std::move(receiver);
    // Only the instance of this home can be listening here; the connection attempt before
    // found none, so a file left in the way belongs to a crashed one.
    QLocalServer::removeServer(serverName());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readHandOver(socket); });
            readHandOver(socket);
        }
    });
    return server_.listen(serverName());
}

void InstanceHandover::readHandOver(QLocalSocket* socket) {
    QDataStream in(socket);
    in.startTransaction();
    QStringList list;
    in >> list;
    // A message not yet complete is read again when more arrives.
    if (!in.commitTransaction()) return;
    std::vector<std::string> paths;
    for (const QString& path : list) paths.push_back(toStdString(path));
    socket->putChar(kReceived);
    socket->flush();
    if (receiver_) receiver_(paths);
}
