// A small fixed pool of threads that share the items of one job with the calling thread.
// The caller starts a job, does other work (file I/O), then joins in with Finish, which
// also gives it a point between items to report progress and to cancel the rest.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace vq {

class WorkerTask {
public:
    // Processes item `item`; `slot` (0 .. slots-1) picks the caller's private scratch.
    virtual void RunItem(std::int64_t item, int slot) = 0;

    // Called on the calling thread after each item it processed itself; false cancels
    // the items not yet started.
    virtual bool BetweenItems() { return true; }

protected:
    ~WorkerTask() = default;
};

class WorkerPool {
public:
    // Starts up to `threads` helper threads; fewer when the system refuses more.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Scratch slots a task needs: one per helper thread plus one for the caller.
    int Slots() const { return static_cast<int>(m_threads.size()) + 1; }

    // Hands items 0 .. count-1 of `task` to the helpers; returns at once.
    void Start(WorkerTask* task, std::int64_t count);

    // The caller processes items too, with the task's BetweenItems after each of its own.
    // Returns once every started item is done: true when all ran, false when cancelled.
    bool Finish();

private:
    void HelperLoop(int slot);
    void RunItems(int slot, bool isCaller);

    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_checkedOut;
    std::uint64_t m_generation = 0;
    int m_helpersDone = 0;
    bool m_stop = false;
    WorkerTask* m_task = nullptr;
    std::int64_t m_count = 0;
    std::atomic<std::int64_t> m_next{0};
    std::atomic<bool> m_cancel{false};
};

// Helper threads worth starting beside the caller on this machine.
int DefaultHelperThreads();

}  // namespace vq
