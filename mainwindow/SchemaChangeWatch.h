#pragma once
// Notices another program changing the schema of a window's database: a table, view, index or
// trigger created, renamed or dropped. The file's change watch is looked at on a timer; only a
// change of the file costs a read of its schema version, so writes of rows cost next to nothing.
#include <QObject>
#include <QTimer>

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class FileChangeWatch;

class SchemaChangeWatch : public QObject {
  public:
    static constexpr int kLookIntervalMs = 500;

    // schemaDidChange answers whether it followed the change; one it put off is offered again at
    // the next look.
    explicit SchemaChangeWatch(std::function<bool()> schemaDidChange, QObject* parent = nullptr);
    ~SchemaChangeWatch() override;

    // Watches the file from its schema as it is now; nullopt stops watching.
    void watchFile(const std::optional<std::string>& path);
    // What the timer does: tells of a schema changed since the last look.
    void look();

  private:
    // The schema version and the file's identity; nullopt while the file cannot be read.
    struct Stamp {
        int64_t schemaVersion = 0;
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    std::optional<Stamp> readStamp() const;

    std::function<bool()> schemaDidChange_;
    QTimer timer_;
    std::string path_;
    std::unique_ptr<FileChangeWatch> fileWatch_;
    int64_t fileVersion_ = -1;
    std::optional<Stamp> stamp_;
};
