// The files a release manifest lists, read from a local copy of the update
// server's tree: its document root, as the web server serves it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "download/release_manifest.h"

namespace zentivo::pack {

struct LocalFile {
  std::string server_path;  // "/" + the path below the root, "/" between folders
  std::string local_path;   // the file read for it (a link's target)
};

struct TreeListing {
  std::vector<LocalFile> files;
  // What was left out and why, one line each ("/x/y: a link to a folder").
  std::vector<std::string> skipped;
  std::string error;  // the root can't be read
};

// Every regular file below `root`, with links followed only to files inside
// it, except the files named in `leave_out` (the manifest being written).
TreeListing ListTree(const std::string& root, const std::vector<std::string>& leave_out);

// The file that `server_path` names below `root`, on the same terms; an
// error text when there is none.
struct FoundFile {
  std::optional<LocalFile> file;
  std::string error;
};
FoundFile FindFile(const std::string& root, const std::string& server_path);

// The file's entry: its size and SHA-256, read in pieces (files can be
// larger than memory); an error text when it can't be read.
struct HashedFile {
  std::optional<download::ManifestEntry> entry;
  std::string error;
};
HashedFile HashFile(const LocalFile& file);

}  // namespace zentivo::pack
