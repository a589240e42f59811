#pragma once
// This start as the program's one instance: files that later starts hand over open here.
#include <optional>
#include <string>
#include <vector>

class AppDelegate;
class InstanceHandover;

// The files named on the command line as absolute paths, their bytes as given: a name need not
// be UTF-8.
std::vector<std::string> commandLineFiles(int argc, char* argv[]);

// Becomes the instance (nullopt: this start goes on), or hands the paths to the running one and
// answers the exit code. A home or lock folder that cannot be written ends the start with the
// reason in an alert, as well as on stderr.
std::optional<int> startOrHandOver(InstanceHandover& handover,
                                   const std::vector<std::string>& paths);

// Files handed over go to the application object; a start without files brings its last
// window to the front, restored when it was minimized.
void receiveHandedOverFiles(InstanceHandover& handover, AppDelegate& app);
