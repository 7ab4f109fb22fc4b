#include "common/WorkerPool.h"

#include <algorithm>
#include <system_error>

namespace vq {

int DefaultHelperThreads()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 16u)) - 1;
}

WorkerPool::WorkerPool(int threads)
{
    for (int slot = 0; slot < threads; ++slot) {
        try {
            m_threads.emplace_back(&WorkerPool::HelperLoop, this, slot);
        } catch (const std::system_error&) {
            break;  // run with the threads we have; the caller always works too
        }
    }
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

void WorkerPool::Start(WorkerTask* task, std::int64_t count)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_task = task;
        m_count = count;
        m_next.store(0);
        m_cancel.store(false);
        m_helpersDone = 0;
        ++m_generation;
    }
    m_wake.notify_all();
}

bool WorkerPool::Finish()
{
    RunItems(static_cast<int>(m_threads.size()), true);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_checkedOut.wait(lock, [this] { return m_helpersDone == static_cast<int>(m_threads.size()); });
    return !m_cancel.load();
}

void WorkerPool::RunItems(int slot, bool isCaller)
{
    while (!m_cancel.load(std::memory_order_relaxed)) {
        const std::int64_t item = m_next.fetch_add(1);
        if (item >= m_count)
            break;
        m_task->RunItem(item, slot);
        if (isCaller && !m_task->BetweenItems())
            m_cancel.store(true);
    }
}

void WorkerPool::HelperLoop(int slot)
{
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_generation != seen; });
        if (m_stop)
            return;
        seen = m_generation;
        lock.unlock();
        RunItems(slot, false);
        lock.lock();
        ++m_helpersDone;
        m_checkedOut.notify_all();
    }
}

}  // namespace vq
