// A 5.1 conversion writes its intermediate B-format file, bformat.wav, in the working
// directory and reads it back for the decoder: two started from one directory at once
// would each read the other's. A 5.1 take holds this lock on the working directory while it
// runs, so that such conversions take turns; B-format conversions need none and run at once.
#pragma once

#include <functional>

class IntermediateLock {
public:
    IntermediateLock() = default;
    ~IntermediateLock();
    IntermediateLock(const IntermediateLock&) = delete;
    IntermediateLock& operator=(const IntermediateLock&) = delete;

    // Takes the lock, calling `waiting` first when another conversion holds it, and waiting
    // until it is free or the user cancels. False only when cancelled; where the file
    // system has no locks, the conversion goes ahead without.
    bool Acquire(const std::function<void()>& waiting, const std::function<bool()>& cancelled);
    void Release();

private:
    int m_fd = -1;
};
