#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kv::platform {

struct FilePart {
    const void *data;
    size_t length;
};

// Writes the parts, in order, as the whole new content of `path`: into a temporary file
// beside it, flushed to disk, then renamed over it, so an existing file is only ever
// replaced by a complete one. The new file keeps the old one's permissions (or gets what a
// new file would). Returns an empty string when written, else the reason; on failure the
// temporary file is removed and any old file is left as it was.
std::string writeFileAtomically(const std::string &path, const std::vector<FilePart> &parts);

}  // namespace kv::platform
