// Later starts hand their files to the one instance of their home: who becomes the instance,
// what reaches it and in which order, and how bad input on its socket is refused.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QEventLoop>
#include <QFile>
#include <QLocalSocket>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <chrono>
#include <future>
#include <thread>

#include "platform/ui/InstanceHandover.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempHome.h"

namespace {

using PathList = std::vector<std::string>;
using Start = InstanceHandover::Start;
constexpr int kTimeout = 20000;

class InstanceHandoverTest : public TempHomeTest {
  protected:
    void SetUp() override {
        TempHomeTest::SetUp();
        ensureQApplication();
    }

    // A later start on a thread of its own, while this thread's instance answers.
    static Start startElsewhere(const PathList& paths, std::string* error = nullptr) {
        std::future<Start> later = std::async(std::launch::async, [paths, error] {
            InstanceHandover other;
            return other.start(paths, error);
        });
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            kTimeout));
        return later.get();
    }

    // What a start sends: the byte count, then each path ended by a NUL byte.
    static QByteArray message(quint32 length, const QByteArray& body) {
        QByteArray bytes(4, '\0');
        qToBigEndian<quint32>(length, bytes.data());
        return bytes + body;
    }
};

}  // namespace

TEST_F(InstanceHandoverTest, TheFirstStartIsTheInstanceAndLaterOnesHandOverInOrder) {
    // The socket file of an instance that crashed: bound, never listened on, never removed.
    const std::string socketPath = InstanceHandover::serverName().toStdString();
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    unlink(socketPath.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd);

    std::vector<PathList> received;
    {
        InstanceHandover running;
        std::string error;
        ASSERT_EQ(running.start({"/mine.db"}, &error), Start::Instance) << error;

        const PathList odd{"/a b.db", "/ü.db", "/line\nbreak 'q\".db"};
        EXPECT_EQ(startElsewhere(odd), Start::HandedOver);
        EXPECT_EQ(startElsewhere({}), Start::HandedOver);
        // Acknowledged, but kept until someone takes them.
        QCoreApplication::processEvents();
        running.setReceiver([&](const PathList& paths) { received.push_back(paths); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, kTimeout));
        EXPECT_EQ(received, (std::vector<PathList>{odd, {}}));
    }
    // The instance ended: the next start is the instance, and nothing more was delivered.
    InstanceHandover next;
    EXPECT_EQ(next.start({}, nullptr), Start::Instance);
    EXPECT_EQ(received.size(), 2u);
}

TEST_F(InstanceHandoverTest, AHandOverArrivingWhileOneIsOpenedWaitsForIt) {
    InstanceHandover running;
    ASSERT_EQ(running.start({}, nullptr), Start::Instance);
    std::vector<PathList> received;
    bool nested = false;
    running.setReceiver([&](const PathList& paths) {
        received.push_back(paths);
        if (paths != PathList{"/first.db"}) return;
        // Opening the first shows an alert: its event loop takes the second start's hand-over.
        nested = true;
        EXPECT_EQ(startElsewhere({"/second.db"}), Start::HandedOver);
        QCoreApplication::processEvents();
        EXPECT_EQ(received.size(), 1u) << "delivered while the first was being opened";
        nested = false;
    });
    EXPECT_EQ(startElsewhere({"/first.db"}), Start::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 2 && !nested; }, kTimeout));
    EXPECT_EQ(received, (std::vector<PathList>{{"/first.db"}, {"/second.db"}}));
}

TEST_F(InstanceHandoverTest, MalformedHandOversAreRefusedAndTheInstanceGoesOn) {
    InstanceHandover running;
    ASSERT_EQ(running.start({}, nullptr), Start::Instance);
    std::vector<PathList> received;
    running.setReceiver([&](const PathList& paths) { received.push_back(paths); });

    auto send = [](QLocalSocket& socket, const QByteArray& bytes) {
        socket.connectToServer(InstanceHandover::serverName());
        ASSERT_TRUE(socket.waitForConnected(kTimeout));
        socket.write(bytes);
        socket.flush();
    };
    auto refused = [](QLocalSocket& socket) {
        return QTest::qWaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; },
                               kTimeout);
    };
    QLocalSocket huge;  // a byte count no hand-over has; nothing is read or kept for it
    send(huge, message(0xFFFFFFF0u, "x"));
    EXPECT_TRUE(refused(huge));
    QLocalSocket unterminated;
    send(unterminated, message(6, "/x.db!"));
    EXPECT_TRUE(refused(unterminated));
    EXPECT_EQ(huge.readAll() + unterminated.readAll(), QByteArray());

    // A hand-over arriving in pieces is taken once it is whole; empty names are dropped.
    QLocalSocket pieces;
    send(pieces, message(13, "/a.db"));
    QCoreApplication::processEvents();
    pieces.write(QByteArray("\0\0/b.db\0", 8));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pieces.bytesAvailable() > 0; }, kTimeout));
    EXPECT_EQ(pieces.readAll(), "1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, kTimeout));
    EXPECT_EQ(received, (std::vector<PathList>{{"/a.db", "/b.db"}}));
    EXPECT_EQ(startElsewhere({"/c.db"}), Start::HandedOver);
}

TEST_F(InstanceHandoverTest, ALockHeldByAnotherStartThatDoesNotListenIsNeverTakenOver) {
    const QByteArray lockPath = QFile::encodeName(InstanceHandover::serverName() + ".lock");
    const int held = open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    std::string error;
    InstanceHandover second;
    EXPECT_EQ(second.start({"/x.db"}, &error), Start::Failed);
    EXPECT_NE(error.find("does not take files"), std::string::npos) << error;
    close(held);
    EXPECT_EQ(second.start({"/x.db"}, &error), Start::Instance);
}

TEST_F(InstanceHandoverTest, FilesAreOpenedOutsideTheSignalsOfTheConnectionThatBroughtThem) {
    InstanceHandover running;
    ASSERT_EQ(running.start({}, nullptr), Start::Instance);
    auto connections = [&] { return running.findChildren<QLocalSocket*>().size(); };
    bool readNotificationOver = false;
    bool opened = false;
    running.setReceiver([&](const PathList&) {
        EXPECT_TRUE(readNotificationOver) << "opened inside the socket's read notification";
        // Like an alert: an event loop of its own, in which the start ends and its
        // connection is deleted.
        QEventLoop alert;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (connections() == 0) alert.quit();
        });
        check.start(5);
        alert.exec();
        opened = true;
    });
    // The connection is taken before the files arrive, so they come with a read notification;
    // a slot connected after the instance's own learns when that notification is over.
    std::promise<void> accepted;
    std::thread later([&, taken = accepted.get_future()] {
        QLocalSocket socket;
        socket.connectToServer(InstanceHandover::serverName());
        ASSERT_TRUE(socket.waitForConnected(kTimeout));
        taken.wait();
        socket.write(message(6, QByteArray("/x.db\0", 6)));
        ASSERT_TRUE(socket.waitForReadyRead(kTimeout));
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return connections() == 1; }, kTimeout));
    QObject::connect(running.findChild<QLocalSocket*>(), &QLocalSocket::readyRead,
                     [&] { readNotificationOver = true; });
    accepted.set_value();
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened; }, kTimeout));
    later.join();
}

TEST_F(InstanceHandoverTest, AHomeReachedThroughASymbolicLinkHasTheSameInstance) {
    const std::string real = pathInHome("real");
    const std::string link = pathInHome("link");
    ASSERT_EQ(mkdir(real.c_str(), 0700), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    setenv("VARNELO_HOME", real.c_str(), 1);
    InstanceHandover running;
    ASSERT_EQ(running.start({}, nullptr), Start::Instance);
    std::vector<PathList> received;
    running.setReceiver([&](const PathList& paths) { received.push_back(paths); });
    // Through the link and through a spelling with a trailing "/.": both reach the instance.
    for (const std::string& home : {link, link + "/."}) {
        setenv("VARNELO_HOME", home.c_str(), 1);
        std::string error;
        EXPECT_EQ(startElsewhere({"/x.db"}, &error), Start::HandedOver) << home << ": " << error;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, kTimeout));
}
