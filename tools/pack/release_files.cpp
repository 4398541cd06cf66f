#include "pack/release_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/crypto.h"
#include "platform/fs.h"

namespace zentivo::pack {
namespace {

namespace stdfs = std::filesystem;

constexpr size_t kReadPiece = 1 << 20;

// The program's paths are UTF-8 on every platform; std::filesystem takes
// them as such only through char8_t.
stdfs::path PathOf(const std::string& utf8) {
  return stdfs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::u8string& text) {
  return std::string(text.begin(), text.end());
}

bool IsInside(const stdfs::path& root, const stdfs::path& target) {
  auto t = target.begin();
  for (const auto& part : root) {
    if (t == target.end() || *t != part)
      return false;
    ++t;
  }
  return true;
}

// A name the installer can ask the server for: no control characters, and
// no "\", which the file layer would read as a separator.
bool IsAskable(const std::string& server_path) {
  return std::none_of(server_path.begin(), server_path.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\';
  });
}

// What `path` below the canonical `root` stands for: a regular file inside the root, a link to one
// included; otherwise why not.
struct Resolved {
  stdfs::path file;
  std::string why_not;
};
Resolved ResolveInside(const stdfs::path& root, const stdfs::path& path) {
  std::error_code ec;
  const bool link = stdfs::is_symlink(stdfs::symlink_status(path, ec));
  const stdfs::path target = stdfs::canonical(path, ec);
  if (ec)
    return {{}, link ? "a link that leads nowhere" : "not found"};
  // A link anywhere on the way may lead out, not only the last part.
  if (!IsInside(root, target))
    return {{}, "leads out of the server's root"};
  if (stdfs::is_directory(target, ec))
    return {{}, link ? "a link to a folder (not followed)" : "a folder"};
  if (!stdfs::is_regular_file(target, ec))
    return {{}, "not a regular file"};
  return {target, ""};
}

std::optional<stdfs::path> CanonicalRoot(const std::string& root, std::string& error) {
  std::error_code ec;
  const stdfs::path path = stdfs::canonical(PathOf(root), ec);
  if (ec || !stdfs::is_directory(path, ec)) {
    error = "--server " + root + " is not a folder";
    return std::nullopt;
  }
  return path;
}

}  // namespace

TreeListing ListTree(const std::string& root, const std::vector<std::string>& leave_out) {
  TreeListing out;
  const auto base = CanonicalRoot(root, out.error);
  if (!base)
    return out;
  std::vector<stdfs::path> left_out;
  for (const auto& path : leave_out) {
    std::error_code ec;
    left_out.push_back(stdfs::weakly_canonical(PathOf(path), ec));
  }
  std::error_code ec;
  // The iterator does not descend into links to folders: a tree that links
  // back into itself is listed once.
  stdfs::recursive_directory_iterator it(*base, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec))
      continue;
    const std::string server_path =
        "/" + Utf8Of(it->path().lexically_relative(*base).generic_u8string());
    const Resolved r = ResolveInside(*base, it->path());
    if (!r.why_not.empty()) {
      out.skipped.push_back(server_path + ": " + r.why_not);
      continue;
    }
    if (std::find(left_out.begin(), left_out.end(), r.file) != left_out.end())
      continue;
    if (!IsAskable(server_path)) {
      out.skipped.push_back(server_path + ": a name the installer can't ask for");
      continue;
    }
    out.files.push_back({server_path, Utf8Of(r.file.u8string())});
  }
  if (ec)
    out.error = "cannot read the tree below " + root + ": " + ec.message();
  std::sort(out.files.begin(), out.files.end(),
            [](const auto& a, const auto& b) { return a.server_path < b.server_path; });
  return out;
}

FoundFile FindFile(const std::string& root, const std::string& server_path) {
  FoundFile out;
  const auto base = CanonicalRoot(root, out.error);
  if (!base)
    return out;
  const std::string path = download::NormalServerPath(server_path);
  const Resolved r = ResolveInside(*base, *base / PathOf(path.substr(path.starts_with('/'))));
  if (!r.why_not.empty())
    return {std::nullopt, path + ": " + r.why_not + " in " + root};
  return {LocalFile{path, Utf8Of(r.file.u8string())}, ""};
}

HashedFile HashFile(const LocalFile& file) {
  const auto in = fs::File::Open(file.local_path, fs::File::Mode::kRead);
  if (!in)
    return {std::nullopt, "cannot read " + file.local_path};
  crypto::Sha256 sha;
  std::vector<char> piece(kReadPiece);
  int64_t size = 0;
  for (;;) {
    const auto n = in->Read(piece);
    if (!n)
      return {std::nullopt, "cannot read " + file.local_path};
    if (*n == 0)
      break;
    sha.Update(std::span<const char>(piece.data(), *n));
    size += static_cast<int64_t>(*n);
  }
  return {download::ManifestEntry{file.server_path, size, sha.Finish()}, ""};
}

}  // namespace zentivo::pack
