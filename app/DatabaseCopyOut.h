#pragma once
// Copying the main window's database out: into a mail message (the mail program is started
// and the file shown for the user to attach), into a chosen folder, or into the cloud-storage
// folder the mobile edition reads. The copy is read through SQLite, so a database being
// written by an import or another window still gives a consistent file.
#include <string>

class AppDelegate;

class DatabaseCopyOut {
  public:
    explicit DatabaseCopyOut(AppDelegate& app) : app_(app) {}

    // "mailto:?SUBJECT=Your%20database%20<name>%20is%20attached&BODY=".
    static std::string mailURLForDatabaseFileName(const std::string& fileName);
    // The folder copies pass through; made afresh for each copy.
    static std::string uploadFolder();
    // The cloud route's panel starts here.
    static std::string cloudStartFolder();

    void shareCurrentDatabaseUsingEmail();
    void copyDatabaseToFolder();
    void uploadToDropbox();
    // Copies the main window's database into the folder, asking before it replaces a file
    // there; every failure is shown and leaves an existing file as it was.
    void copyDatabaseIntoFolder(const std::string& folder, bool cloud);

  private:
    void chooseFolderAndCopy(bool cloud);

    AppDelegate& app_;
};
