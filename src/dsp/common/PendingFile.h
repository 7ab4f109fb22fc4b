// A file that gets its name only when it is complete. It is written as an unnamed file in
// its destination's folder (O_TMPFILE) where the file system allows it, so that a run that
// is killed, or a machine that loses power, leaves nothing behind; elsewhere as a hidden
// temporary beside the destination (".NAME.XXXXXX"), which a kill leaves in place.
//
// Publishing is atomic either way: the destination shows either its earlier content or the
// whole new file. Without `replace`, publishing never replaces a file: when a file of the
// destination's name appeared meanwhile, it fails with kOutputExists and changes nothing.
#pragma once

#include "common/FailureDetail.h"

#include <string>

namespace vq {

class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile();  // removes the file unless it was published
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the file for `destination`, readable and writable, with the permissions any
    // new file gets. kStatusOk or kOutputOpenFailed (detail says why).
    int Create(const std::string& destination, FailureDetail* detail);

    // The open descriptor to write through; it stays ours (the caller does not close it).
    int Descriptor() const { return m_fd; }
    // Whether the file has no name until it is published.
    bool IsUnnamed() const { return m_unnamed; }

    // Writes the data to the disk and gives the file its destination's name. kStatusOk,
    // kOutputExists (only without `replace`) or kOutputWriteFailed.
    int Publish(bool replace, FailureDetail* detail);
    // Removes the file (before Publish) and closes it.
    void Discard();

private:
    int LinkUnnamed(const std::string& name);

    std::string m_destination;
    std::string m_temporary;  // the hidden name of a named temporary
    int m_fd = -1;
    bool m_unnamed = false;
};

}  // namespace vq
