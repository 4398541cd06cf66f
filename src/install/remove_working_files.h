// RemoveWorkingFiles: what the completion routine leaves of the working
// folder. The folder ("temp" beside the installer) may well be the user's,
// with files of their own in it, so only the installer's files go, by name.
#pragma once

#include <span>
#include <string>

namespace zentivo::install {

// Removes from `dir` each file of `names` (the names the installer gives its
// files there) and its side files: the ".zentivo-part" of a copy and the
// temporaries of an atomic write that a run ended in the middle of. Only
// regular files go: a link or junction under one of those names stays, and
// nothing is followed. `dir` goes too when nothing else is left in it; a
// `dir` that is itself a link or junction is not touched at all.
void RemoveWorkingFiles(const std::string& dir, std::span<const std::string> names);

}  // namespace zentivo::install
