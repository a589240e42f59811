#pragma once
// This start as the program's one instance: files that later starts hand over open here.
class AppDelegate;
class InstanceHandover;

// Files handed over go to the application object; a start without files brings its last
// window to the front.
void receiveHandedOverFiles(InstanceHandover& handover, AppDelegate& app);
