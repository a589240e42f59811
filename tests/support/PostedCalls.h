#pragma once
// Keeps what a background job posts, as the main thread's event queue would, to be run later.
#include <functional>
#include <mutex>
#include <vector>

#include "Common/BackgroundTask.h"

class PostedCalls {
  public:
    BackgroundTask::Poster poster() {
        return [this](std::function<void()> call) {
            std::lock_guard lock(mutex_);
            calls_.push_back(std::move(call));
        };
    }
    // Runs the calls waiting; calls they post wait for the next run.
    void runAll() {
        std::vector<std::function<void()>> calls;
        {
            std::lock_guard lock(mutex_);
            calls.swap(calls_);
        }
        for (const auto& call : calls) call();
    }
    size_t waiting() {
        std::lock_guard lock(mutex_);
        return calls_.size();
    }

  private:
    std::mutex mutex_;
    std::vector<std::function<void()>> calls_;
};
