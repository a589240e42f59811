#pragma once
// The reads of one user action (a table selection) share one connection: while a session is open
// on a thread, every plain or read-only connection that thread opens to the session's file is
// the session's, opened at the first read and closed with the session. The session's connection
// refuses every change (query_only), so a read-write open never costs what a read-only one
// would not, and a WAL file's side files go when it closes last.
#include <optional>
#include <string>

#include "Common/DBConnection.h"

class ReadSession {
  public:
    // A session inside one already open for the same file adds nothing to it.
    explicit ReadSession(std::string databaseFilePath);
    ~ReadSession();
    ReadSession(const ReadSession&) = delete;
    ReadSession& operator=(const ReadSession&) = delete;

    // The connection of the session open on this thread for the path, opened at its first use
    // (its open may have failed: see openResult()); nullptr when no session reads the path.
    static const DBConnection* connectionFor(const std::string& databaseFilePath);

  private:
    static ReadSession* find(const std::string& databaseFilePath);

    std::string path_;
    std::optional<DBConnection> connection_;
    ReadSession* outer_ = nullptr;
    bool active_ = false;
};
