#pragma once
// The file operations on the Documents folder: the name of a new database, renaming a database
// (every window showing it follows), deleting listed files, copying files in with one overwrite
// question, and revealing the folder. Replacing a file is a copy beside it and an atomic rename,
// so a failed copy never destroys the file it was to replace.
#include <optional>
#include <string>
#include <vector>

#include "app/AppFileList.h"

class AppDelegate;
class QWidget;

class DatabaseFiles {
  public:
    // Which lists a copy refreshes, and which files it takes.
    enum CopyTarget { DatabasesList = 0, ImagesWindow = 1 };

    static constexpr const char* kDefaultDatabaseFileName = "varnelo.db";

    explicit DatabaseFiles(AppDelegate& app) : app_(app) {}

    // "varnelo.db", else the first free of varnelo_2.db to varnelo_99.db; nullopt when all exist.
    static std::optional<std::string> fileNameForNewDatabase();
    // The typed name checked as a name inside the Documents folder: not empty, no "/", no
    // leading "."; with addDatabaseExtension a name without any "." gets ".db". nullopt with the
    // reason when refused.
    static std::optional<std::string> checkedFileName(const std::string& typed,
                                                      bool addDatabaseExtension,
                                                      std::string* error);

    // Renames Documents/oldName to newName (already checked) without ever replacing a file;
    // refused while the database is being written. Every window showing the file, and its
    // settings kept by name, follow the new name. False with the reason on failure.
    bool renameDocumentsFile(const std::string& oldName, const std::string& newName,
                             std::string* error);

    // Menu: asks for a new name for the main window's database (Documents folder only).
    void renameDatabaseMenuItemClicked();
    // Menu: shows the Documents folder, or the shown databases of it, in the file manager.
    void databasesWindowMenuItemClicked();

    // Deletes the listed files at the positions; a file shown in a database window is kept.
    // Each failure is shown at once.
    void deleteSelectedFilesNow(const std::vector<int>& indexes,
                                const std::vector<AppFileEntry>& files);
    // Copies the files the target takes (valid databases, read through SQLite, or images) into
    // the Documents folder, asking once before overwriting; any failure is shown, and a database
    // only locked for now is said to be. Then refreshes the target's list.
    void copyFiles(const std::vector<std::string>& sourcePaths, CopyTarget target);

    // How a file is copied: as it stands, or as a database read through SQLite; a file brought
    // from outside (a picture) as a database where it is one, since it may be open here under any
    // name and only SQLite may read it then.
    enum class CopyKind { File, Database, AsFound };
    // Copies source to destination through a temporary file in the destination's folder and an
    // atomic rename; without replace an existing destination is kept and the copy fails. A side
    // file of a database this process has open is never copied.
    static bool copyIntoPlace(const std::string& source, const std::string& destination,
                              bool replace, std::string* error, CopyKind kind = CopyKind::File);

  private:
    // Slots whose window shows the path.
    std::vector<int> windowsShowing(const std::string& path) const;

    AppDelegate& app_;
};
