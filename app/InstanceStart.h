#pragma once
// This start as the program's one instance: files that later starts hand over open here.
#include <memory>

class AppDelegate;
class InstanceHandover;

// Listens for later starts; nullptr when listening failed (the program then runs alone).
std::unique_ptr<InstanceHandover> listenForHandedOverFiles(AppDelegate& app);
