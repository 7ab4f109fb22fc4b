// An engine that records its progress calls and can answer "cancel", for the engines'
// tests: both engines report through the same three operations.
#pragma once

#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vqtest {

template <typename Engine>
class RecordingEngine : public Engine {
public:
    using Engine::Engine;

    void ProgressStart(const char* title, const char* message) override
    {
        ++starts;
        lastTitle = title ? title : "(null)";
        lastMessage = message ? message : "(null)";
        threadsOk = threadsOk && std::this_thread::get_id() == owner;
    }
    bool ProgressUpdate(std::int64_t done, std::int64_t total) override
    {
        updates.push_back({done, total});
        threadsOk = threadsOk && std::this_thread::get_id() == owner;
        return cancelAt == 0 || static_cast<int>(updates.size()) < cancelAt;
    }
    void ProgressEnd() override { ++ends; }

    int cancelAt = 0;  // answer "cancel" at this update (1-based); 0 never
    int starts = 0;
    int ends = 0;
    std::string lastTitle, lastMessage;
    std::vector<std::pair<std::int64_t, std::int64_t>> updates;  // (done, total) frames
    std::thread::id owner = std::this_thread::get_id();
    bool threadsOk = true;
};

}  // namespace vqtest
