// The one way the system replaces a file: readers see the old contents or
// the new, never half of them, and a failed write leaves the old file whole.
#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

// Writes `contents` to a new file beside `path` (`mode` less the process's
// umask), flushes it to disk and renames it over `path`. The new file has
// no name while it is written (O_TMPFILE), where the file system allows, so
// that a writer killed meanwhile leaves nothing behind; elsewhere it is
// "<path>.tmp-XXXXXX". On failure nothing at `path` changes and `error`
// says why.
bool writeFileAtomically(const std::string& path, const std::string& contents, std::string& error,
                         mode_t mode = 0666);

}  // namespace platform
