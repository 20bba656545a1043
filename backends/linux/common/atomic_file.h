#pragma once
// Files replaced in one step: the new text goes into a temporary file beside the old one, which
// is then renamed over it, so a reader sees the old file or the new one and never half of
// either, and a failure leaves the old file as it was.
#include <sys/stat.h>

#include <string>

struct AtomicWrite {
    mode_t mode = 0600;
    // As root, for another user's file: the new file gets this owner, so it stays theirs.
    const struct stat* owner = nullptr;
    // False: the new file is linked in place instead, which fails when a file appeared there
    // meanwhile (for creating a file that did not exist).
    bool replace = true;
    // Flushed to the disk before the rename. Files that are rewritten every few seconds and
    // may be lost without harm skip it, so as not to wake the disk each time.
    bool durable = true;
};

// The empty text on success, otherwise why it failed, in words.
std::string writeFileAtomically(const std::string& path, const std::string& text,
                                const AtomicWrite& how);
