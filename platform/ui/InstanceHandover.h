#pragma once
// One running instance per user and application home. The first start to take the home's lock
// file is the instance and listens on a local socket beside it; every later start hands the
// files it was given to that instance, waits until they are acknowledged, and ends. So a file
// opened from the desktop reaches the program already running, and never opens twice.
#include <QLocalServer>
#include <QObject>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class QLocalSocket;

class InstanceHandover : public QObject {
    Q_OBJECT

  public:
    using Receiver = std::function<void(const std::vector<std::string>& paths)>;
    enum class Start {
        Instance,    // this start holds the home and listens for later starts
        HandedOver,  // the running instance acknowledged the paths
        Failed,      // neither: the error says why
    };

    InstanceHandover() = default;
    ~InstanceHandover() override;

    // The socket's full path, made from the user and the application home; the lock file is
    // this path with ".lock" appended.
    static QString serverName();

    // Hands the paths (possibly none) to the running instance, or becomes the instance when
    // there is none. A start that reaches an instance waits for its acknowledgement as long as
    // that instance lives; when it ends without answering, this start tries again.
    Start start(const std::vector<std::string>& paths, std::string* error);

    // Hand-overs received go to the receiver in order, one at a time, each from a queued call
    // (never from inside the socket's signals); those received before wait for it.
    void setReceiver(Receiver receiver);

  private:
    // True when this start took the lock; false with an empty error when another start holds it.
    bool claim(std::string* error);
    void acceptConnections();
    void readHandOver(QLocalSocket* socket);
    void deliverPending();

    int lockFile_ = -1;
    QLocalServer server_{this};  // its connections are found among this object's children
    Receiver receiver_;
    std::deque<std::vector<std::string>> pending_;
    bool delivering_ = false;
};
