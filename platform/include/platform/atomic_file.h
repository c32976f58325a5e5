// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::platform {

struct FilePart {
    const void *data;
    size_t length;
};

// What became of a file the program meant to replace.
struct WriteOutcome {
    enum class Result {
        Written,    // the file holds the new content
        Unchanged,  // not written; any previous file is as it was
        Damaged,    // rewriting in place failed part way: the file may be incomplete
    };
    Result result = Result::Written;
    int error = 0;         // the system's error number when not written
    bool refused = false;  // not tried: the target is read-only, a folder or no regular file
    bool inPlace = false;  // written (or tried) in place rather than by renaming
    bool ok() const { return result == Result::Written; }
    // What happened, in words to follow the file's name in a message: "is read-only; it was
    // left as it is", "could not be written (No space left on device); ...".
    std::string describe() const;
};

// Writes the parts, in order, as the whole new content of `path`. A symbolic link is
// followed and its target replaced. A new file is made beside the target under a short
// temporary name, flushed and renamed over it, so the target is only ever replaced by a
// complete file; it keeps the old file's mode and, where the system allows, its owner.
// The file is rewritten in place instead (its old content kept in memory and put back if
// writing fails) when it has other hard links, when its owner could not be kept, or when
// no temporary file can be made in its folder. A read-only target, a folder or anything
// that is not a regular file is refused and left as it is.
WriteOutcome replaceFile(const std::string &path, const std::vector<FilePart> &parts);

// What replaceFile would refuse at once (a read-only file, a folder, no regular file), so
// that a pair of files can be checked before either is written; Written when nothing.
WriteOutcome refusalOf(const std::string &path);

// The outcome as a result code of a C entry point (0 written, -1 unchanged, -2 refused,
// -3 damaged; the error number goes in errno) and back.
int32_t outcomeCode(const WriteOutcome &outcome);
WriteOutcome outcomeOfCode(int32_t code, int error);

}  // namespace kv::platform
