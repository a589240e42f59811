#pragma once
// A connection of this process that writes a database in a journal mode and keeps its write
// transaction open, and what another program then finds of the locks on the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Common/DBConnection.h"
#include "tests/support/OtherProgram.h"

class HeldWriteTransaction {
  public:
    // Makes the file when it is missing. Another program must find the write refused, and in WAL
    // mode the -shm's in-use and write bytes held.
    HeldWriteTransaction(const std::string& path, const std::string& journalMode)
        : path_(path), writer_(path, ConnectionKind::NewFileStatement) {
        const std::string sql = "pragma journal_mode = " + journalMode +
                                "; create table if not exists held (a); begin immediate; "
                                "insert into held values (1)";
        EXPECT_EQ(sqlite3_exec(writer_.handle(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << writer_.errorMessage();
        locks_ = probeLocks(path);
        EXPECT_EQ(locks_.substr(0, locks_.find(' ')), "write:refused") << locks_;
        if (journalMode == "wal") {
            EXPECT_NE(locks_.find("index:held writer:held"), std::string::npos) << locks_;
        }
    }

    // What another program found of the locks once the transaction was open.
    const std::string& locks() const { return locks_; }
    // The side files the transaction keeps beside the file: its -wal and -shm, or its -journal.
    std::vector<std::string> sideFiles() const {
        std::vector<std::string> files;
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            if (std::filesystem::exists(path_ + suffix)) files.push_back(path_ + suffix);
        }
        return files;
    }
    sqlite3* handle() const { return writer_.handle(); }

  private:
    std::string path_;
    DBConnection writer_;
    std::string locks_;
};
