#include "Common/ReadSession.h"

#include <cassert>

namespace {
thread_local ReadSession* innermostSession = nullptr;
}  // namespace

ReadSession* ReadSession::find(const std::string& databaseFilePath) {
    for (ReadSession* session = innermostSession; session; session = session->outer_) {
        if (session->path_ == databaseFilePath) return session;
    }
    return nullptr;
}

ReadSession::ReadSession(std::string databaseFilePath) : path_(std::move(databaseFilePath)) {
    if (find(path_)) return;
    outer_ = innermostSession;
    innermostSession = this;
    active_ = true;
}

ReadSession::~ReadSession() {
    if (!active_) return;
    // Sessions end in the order they began: each is a scope on its thread.
    assert(innermostSession == this);
    innermostSession = outer_;
}

const DBConnection* ReadSession::connectionFor(const std::string& databaseFilePath) {
    ReadSession* session = find(databaseFilePath);
    if (!session) return nullptr;
    if (!session->connection_) {
        session->connection_
            .emplace(databaseFilePath, ConnectionKind::Plain, nullptr, ConnectionSharing::Own)
            .refuseChanges();
    }
    return &*session->connection_;
}
