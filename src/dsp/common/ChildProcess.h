// Work on untrusted bytes, done in a short-lived child process: a parser that hangs,
// crashes, leaks or scribbles over memory then harms nothing but the child. The child hands
// its result back over a pipe; the parent waits with a time limit, and a cancel or the time
// limit kills the child.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vq {

struct ChildLimits {
    double seconds = 10.0;                      // wall-clock time before the child is killed
    std::uint64_t memoryBytes = 1ull << 30;     // address space of the child (not under sanitizers)
    std::uint64_t outputBytes = 1ull << 30;     // largest result taken from the child
};

enum class ChildOutcome {
    Done,       // the child ended with exit status 0; `output` holds what it wrote
    Failed,     // it ended with another status, or wrote more than outputBytes
    Crashed,    // a signal ended it (a fault, or the memory limit)
    TimedOut,   // killed at the time limit
    Cancelled,  // killed because keepGoing said so
    NotStarted  // no pipe or no process could be made
};

// Runs `work` in a child process. `work` writes its result to the descriptor it is given
// and returns the child's exit status. `keepGoing` (may be empty) is asked a few times a
// second. `reason` says, in words, why the outcome is not Done.
ChildOutcome RunInChild(const std::function<int(int fd)>& work, const ChildLimits& limits,
                        const std::function<bool()>& keepGoing, std::string* output, std::string* reason);

// Writes the whole of `bytes` to `fd` (a child's pipe to its parent), across interrupted and
// partial writes; false once a write fails (the reader has gone).
bool WriteAll(int fd, const std::string& bytes);

}  // namespace vq
