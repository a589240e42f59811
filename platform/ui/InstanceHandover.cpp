#include "platform/ui/InstanceHandover.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/foundation/Paths.h"

namespace {

constexpr int kConnectMilliseconds = 1000;
// After this long without an answer the waiting start says what it waits for.
constexpr int kNoticeMilliseconds = 5000;
// A start that finds the lock taken but nobody listening yet retries this often, this long.
constexpr unsigned long kRetryMilliseconds = 20;
constexpr int kAttempts = 250;
constexpr char kReceived = '1';

// A hand-over is the byte count of what follows (4 bytes, big-endian), then each path in UTF-8
// ended by a NUL byte, which no path holds.
constexpr qint64 kLengthBytes = 4;
constexpr quint32 kLargestHandOver = 16u << 20;

QByteArray encodeHandOver(const std::vector<std::string>& paths) {
    QByteArray body;
    for (const std::string& path : paths) {
        body.append(path.data(), static_cast<qsizetype>(path.size()));
        body.append('\0');
    }
    QByteArray message(kLengthBytes, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(body.size()), message.data());
    return message + body;
}

enum class Read { Incomplete, Malformed, Complete };

Read decodeHandOver(QLocalSocket& socket, std::vector<std::string>* paths) {
    char header[kLengthBytes];
    if (socket.peek(header, kLengthBytes) < kLengthBytes) return Read::Incomplete;
    const quint32 length = qFromBigEndian<quint32>(header);
    if (length > kLargestHandOver) return Read::Malformed;
    if (socket.bytesAvailable() < kLengthBytes + length) return Read::Incomplete;
    socket.skip(kLengthBytes);
    const QByteArray body = socket.read(length);
    if (!body.isEmpty() && !body.endsWith('\0')) return Read::Malformed;
    for (qsizetype start = 0; start < body.size();) {
        const qsizetype end = body.indexOf('\0', start);
        if (end > start) paths->emplace_back(body.constData() + start, end - start);
        start = end + 1;
    }
    return Read::Complete;
}

// Connects to the instance, sends the message and waits for its acknowledgement for as long as
// the instance keeps the connection: a busy instance answers late, and a second instance would
// open the same files again. False when no instance answered.
bool handOver(const QByteArray& message) {
    QLocalSocket socket;
    socket.connectToServer(InstanceHandover::serverName());
    if (!socket.waitForConnected(kConnectMilliseconds)) return false;
    socket.write(message);
    bool noticed = false;
    while (socket.bytesAvailable() < 1) {
        const bool progressed = socket.bytesToWrite() > 0
                                    ? socket.waitForBytesWritten(kNoticeMilliseconds)
                                    : socket.waitForReadyRead(kNoticeMilliseconds);
        if (progressed) continue;
        if (socket.state() != QLocalSocket::ConnectedState) return false;
        if (!noticed) {
            std::fprintf(stderr, "Waiting for the running instance to take the files...\n");
            noticed = true;
        }
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kReceived;
}

}  // namespace

InstanceHandover::~InstanceHandover() {
    // The socket goes before the lock, so a start that takes the lock next never has its own
    // socket removed by this one. The lock file stays: removing it could split a later claim.
    server_.close();
    if (lockFile_ >= 0) ::close(lockFile_);
}

QString InstanceHandover::serverName() {
    // The runtime folder is private to the user and not cleaned while the session lasts.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::tempPath();
    // A home reached through a symbolic link is still the same home: one instance for both.
    std::error_code ec;
    std::filesystem::path canonical =
        std::filesystem::weakly_canonical(Paths::applicationHome(), ec);
    const QByteArray home =
        QByteArray::fromStdString(ec ? Paths::applicationHome() : canonical.string());
    const QByteArray digest = QCryptographicHash::hash(home, QCryptographicHash::Sha256).toHex();
    return QString("%1/varnelo-%2-%3")
        .arg(folder)
        .arg(getuid())
        .arg(QString::fromLatin1(digest.left(16)));
}

InstanceHandover::Start InstanceHandover::start(const std::vector<std::string>& paths,
                                                std::string* error) {
    std::string failure;
    const QByteArray message = encodeHandOver(paths);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (claim(&failure)) return Start::Instance;
        if (!failure.empty()) break;
        if (handOver(message)) return Start::HandedOver;
        // The holder of the lock is not listening yet, or it ended before answering.
        QThread::msleep(kRetryMilliseconds);
    }
    if (failure.empty()) {
        failure = "the running instance does not take files (" + serverName().toStdString() + ")";
    }
    if (error) *error = failure;
    return Start::Failed;
}

bool InstanceHandover::claim(std::string* error) {
    const QString name = serverName();
    const QByteArray lockPath = QFile::encodeName(name + ".lock");
    // Held for the life of the process; the system releases it however the process ends.
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = "cannot open " + lockPath.toStdString() + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int failure = errno;
        ::close(fd);
        if (failure != EWOULDBLOCK) {
            *error = "cannot lock " + lockPath.toStdString() + ": " + std::strerror(failure);
        }
        return false;
    }
    lockFile_ = fd;
    // Only the holder of the lock listens here: a socket file in the way is a crashed one's.
    QLocalServer::removeServer(name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceHandover::acceptConnections);
    if (!server_.listen(name)) {
        // This start still runs; later ones then say that it does not take files.
        std::fprintf(stderr, "Later starts cannot hand files over: %s\n",
                     qPrintable(server_.errorString()));
    }
    return true;
}

void InstanceHandover::setReceiver(Receiver receiver) {
    receiver_ = std::move(receiver);
    if (!pending_.empty()) {
        QMetaObject::invokeMethod(this, &InstanceHandover::deliverPending, Qt::QueuedConnection);
    }
}

void InstanceHandover::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readHandOver(socket); });
        readHandOver(socket);
    }
}

void InstanceHandover::readHandOver(QLocalSocket* socket) {
    std::vector<std::string> paths;
    switch (decodeHandOver(*socket, &paths)) {
        case Read::Incomplete:
            return;
        case Read::Malformed:
            socket->abort();
            return;
        case Read::Complete:
            break;
    }
    socket->putChar(kReceived);
    socket->flush();
    pending_.push_back(std::move(paths));
    // Opening files may run alerts with event loops of their own, in which the later start
    // disconnects and its socket is deleted: never open them inside the socket's signal.
    QMetaObject::invokeMethod(this, &InstanceHandover::deliverPending, Qt::QueuedConnection);
}

void InstanceHandover::deliverPending() {
    // One hand-over at a time: those arriving while one is opened follow it.
    if (!receiver_ || delivering_) return;
    delivering_ = true;
    while (!pending_.empty()) {
        std::vector<std::string> paths = std::move(pending_.front());
        pending_.pop_front();
        receiver_(paths);
    }
    delivering_ = false;
}
