#pragma once
// A test fixture with its own temporary application home ($VARNELO_HOME), removed afterwards,
// so that user defaults, the Documents folder and database files never leak between tests.
#include <gtest/gtest.h>

#include <string>

class TempHomeTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A path inside the temporary home (not created).
    std::string pathInHome(const std::string& name) const { return home_ + "/" + name; }
    // A path inside the Documents folder of the temporary home.
    std::string pathInDocuments(const std::string& name) const;
    const std::string& home() const { return home_; }

  private:
    std::string home_;
    std::string previousHome_;
    bool hadPreviousHome_ = false;
};

// Writes bytes to a file, replacing it.
void writeFile(const std::string& path, const std::string& bytes);
// The bytes of a file; empty when it cannot be read.
std::string readFile(const std::string& path);
// The number of open file descriptors of this process.
int openFileDescriptorCount();
