#pragma once
// Running work on the main (GUI) thread without waiting for it.
#include <functional>

// Queues the work on the main thread's event loop and returns at once, on any thread.
void performOnMainThread(std::function<void()> work);
