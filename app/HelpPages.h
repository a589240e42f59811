#pragma once
// The help pages installed with the program (Help > Sample Databases, Tutorials and Support):
// beside the program when it runs from the build tree, else where the set-up installed them.
#include <QString>

#include <optional>

enum class HelpPage { SampleDatabases, Tutorials, Support };

// The page's file; nullopt when it is in neither place.
std::optional<QString> helpPageFile(HelpPage page);
// Asks the desktop to show the page; an application-modal "Could not open URL" when the page is
// missing or the desktop cannot show it.
void openHelpPage(HelpPage page);
