#pragma once
// The output file of an export, never left half-written: a new export goes to a temporary file
// beside the destination that replaces it only once complete; an append that fails is cut back
// to the file's old length. Every write is checked, so a full disk is reported, not exported.
#include <sys/types.h>

#include <string>

class ExportFile {
  public:
    // Opens the file; on failure isOpen() is false and "Could not open file [%s], errno %d" is
    // appended to errorString. A side file of a database this process has open is refused (EBUSY).
    ExportFile(const std::string& path, bool append, std::string* errorString);
    // An export not committed is undone: the temporary file removed, the append cut back.
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // The text still to be written.
    std::string& buffer() { return buffer_; }
    // Writes the buffer out once it is large; false after a failed write.
    bool flushIfFull();
    // Writes the rest and puts the file in place; false (with the message) when that fails.
    bool commit();

  private:
    bool flush();
    bool failed();

    std::string path_;
    std::string* errorString_;
    std::string target_;     // the file to replace: the destination, or the file it links to
    std::string temporary_;  // empty when the destination is written in place
    int fd_ = -1;
    off_t keptLength_ = -1;         // the length an append cuts back to; -1 for none
    bool removeOnFailure_ = false;  // the append made the file
    bool committed_ = false;
    std::string buffer_;
};
