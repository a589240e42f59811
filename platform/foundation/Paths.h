#pragma once
// The folders the application works in: its home, its Documents folder, the temporary and the
// user's home folder. The application home is $VARNELO_HOME when set, so tests and several
// installations can keep apart.
#include <string>

namespace Paths {

// $VARNELO_HOME, else ~/.local/share/varnelo; created when missing.
std::string applicationHome();
// The Documents subfolder of the application home; created when missing.
std::string documentsFolder();
// Why the application home or its Documents folder cannot be made or written to; empty when
// both can.
std::string applicationHomeProblem();
std::string temporaryFolder();
std::string homeFolder();
// The user's data folder of the desktop: $XDG_DATA_HOME, else ~/.local/share.
std::string userDataFolder();

// Whether path lies inside folder (or is it), compared by whole path components, so that
// "/a/Documents2/x" is not inside "/a/Documents".
bool isPathInsideFolder(const std::string& path, const std::string& folder);

// Last path component ("x.db" of "/a/b/x.db").
std::string lastPathComponent(const std::string& path);

}  // namespace Paths
