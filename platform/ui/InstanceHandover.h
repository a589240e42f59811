#pragma once
// One running instance per user and application home: a later start hands the files it was
// given to the running instance over a local socket and ends, so that a file opened from the
// desktop reaches the program already running.
#include <QLocalServer>
#include <QObject>

#include <functional>
#include <string>
#include <vector>

class InstanceHandover : public QObject {
    Q_OBJECT

  public:
    using Receiver = std::function<void(const std::vector<std::string>& paths)>;

    // The socket's name, made from the user and the application home.
    static QString serverName();
    // Hands the paths (possibly none) to the running instance and waits until it has them;
    // false when no instance answers, and this start is then the instance.
    static bool handOverToRunningInstance(const std::vector<std::string>& paths);

    // Listens for later starts; a socket file left by an instance that crashed is removed
    // first. The receiver runs on this thread for every hand-over. False when listening fails.
    bool listen(Receiver receiver);

  private:
    void readHandOver(class QLocalSocket* socket);

    QLocalServer server_;
    Receiver receiver_;
};
