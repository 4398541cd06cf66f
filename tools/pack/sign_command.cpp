// sign: the release manifest of a local copy of the update server's tree,
// signed with the maker's key. It lists the whole tree, or exactly the files
// the named editions' installers ask for; --keep carries over what an
// earlier manifest lists, so that during a release the files on their way
// out and those coming in are both accepted.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <tuple>

#include "download/release_manifest.h"
#include "pack/cli.h"
#include "pack/commands.h"
#include "pack/edition.h"
#include "pack/matrix.h"
#include "pack/plan_view.h"
#include "pack/release_files.h"
#include "pack/release_keys.h"
#include "platform/fs.h"

namespace zentivo::pack {
namespace {

using download::ManifestEntry;

struct SignArgs {
  std::string root, key, out, keep, matrix;
  EditionSource edition;  // with --matrix: the values every row shares
};

std::optional<int> ParseSignArgs(const Args& args, SignArgs& a) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_next = i + 1 < args.size();
    std::optional<std::string> error;
    if (arg == "--server" && has_next) {
      a.root = args[++i];
    } else if (arg == "--key" && has_next) {
      a.key = args[++i];
    } else if (arg == "--out" && has_next) {
      a.out = args[++i];
    } else if (arg == "--keep" && has_next) {
      a.keep = args[++i];
    } else if (arg == "--matrix" && has_next) {
      a.matrix = args[++i];
    } else if (!TakeEditionArgument(args, i, a.edition, error)) {
      return Usage();
    }
    if (error)
      return Fail(kExitBadInput, *error);
  }
  if (a.root.empty() || a.key.empty() || (!a.matrix.empty() && !a.edition.installer.empty()))
    return Usage();
  if (a.out.empty())
    a.out = a.root + std::string(download::kManifestPath);
  return std::nullopt;
}

// The editions named: one, one per matrix row, or none (the whole tree).
struct Editions {
  std::vector<EditionSource> sources;
  std::string error;
};
Editions EditionsOf(const SignArgs& a) {
  Editions out;
  if (a.matrix.empty()) {
    if (a.edition.has_values || !a.edition.installer.empty())
      out.sources.push_back(a.edition);
    return out;
  }
  std::vector<MatrixRow> rows;
  if (auto err = ReadMatrix(a.matrix, rows)) {
    out.error = *err;
    return out;
  }
  for (const auto& row : rows) {
    EditionSource source{a.edition.values, true, ""};
    for (const auto& [k, v] : row.values) source.values[k] = v;
    out.sources.push_back(std::move(source));
  }
  return out;
}

// The files the editions' installers ask for. A probed file the tree lacks
// is one the installer leaves out; a planned one is a release that can't
// install, and every such file is named.
std::optional<int> EditionFiles(const std::string& root, const std::vector<EditionSource>& sources,
                                std::vector<LocalFile>& files) {
  std::set<std::string> seen;
  size_t missing = 0;
  for (const auto& source : sources) {
    const auto edition = LoadEdition(source);
    if (!edition.info)
      return Fail(kExitBadInput, edition.error);
    for (const auto& planned : PlanOf(*edition.info).files) {
      const std::string path = download::NormalServerPath(planned.path);
      if (planned.need == download::PlanNeed::kLeftOut || !seen.insert(path).second)
        continue;
      auto found = FindFile(root, path);
      if (found.file) {
        files.push_back(std::move(*found.file));
      } else if (planned.need == download::PlanNeed::kAlways) {
        Fail(kExitBadInput,
             std::string(planned.name) + " of " + edition.info->AppEName + ": " + found.error);
        ++missing;
      }
    }
  }
  if (missing > 0)
    return Fail(kExitBadInput, std::to_string(missing) + " planned " +
                                   (missing == 1 ? "file is" : "files are") +
                                   " missing: not signed");
  return std::nullopt;
}

std::string UtcNow() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

bool ByPath(const ManifestEntry& a, const ManifestEntry& b) {
  return std::tie(a.path, a.size, a.sha256) < std::tie(b.path, b.size, b.sha256);
}

}  // namespace

int RunSign(const Args& args) {
  SignArgs a;
  if (const auto code = ParseSignArgs(args, a))
    return *code;
  const auto key = LoadKeyPair(a.key);
  if (!key.key)
    return Fail(kExitBadInput, key.error);

  // The manifest to keep is checked before any file is read: hashing a
  // large tree only to refuse it afterwards would waste the maker's time.
  download::ReleaseManifest kept;
  if (!a.keep.empty()) {
    const auto bytes = fs::ReadWholeFile(a.keep);
    if (!bytes)
      return Fail(kExitBadInput, "cannot read " + a.keep);
    auto read = download::ReadManifest(*bytes, key.key->public_key);
    if (!read.manifest)
      return Fail(kExitBadInput, a.keep + ": " +
                                     std::string(download::ManifestProblemText(read.problem)) +
                                     ": --keep takes only a manifest signed with this key");
    kept = std::move(*read.manifest);
  }

  const Editions editions = EditionsOf(a);
  if (!editions.error.empty())
    return Fail(kExitBadInput, editions.error);
  std::vector<LocalFile> files;
  if (editions.sources.empty()) {
    TreeListing tree = ListTree(a.root, {a.root + std::string(download::kManifestPath), a.out});
    if (!tree.error.empty())
      return Fail(kExitBadInput, tree.error);
    for (const auto& line : tree.skipped) Fail(0, "left out " + line);
    files = std::move(tree.files);
  } else if (const auto code = EditionFiles(a.root, editions.sources, files)) {
    return *code;
  }

  download::ReleaseManifest manifest;
  manifest.signed_at = UtcNow();
  int64_t bytes = 0;
  for (const auto& file : files) {
    auto hashed = HashFile(file);
    if (!hashed.entry)
      return Fail(kExitBadInput, hashed.error);
    bytes += hashed.entry->size;
    manifest.entries.push_back(std::move(*hashed.entry));
  }
  const size_t listed = manifest.entries.size();
  for (const auto& old : kept.entries) {
    const auto& e = manifest.entries;
    if (std::find(e.begin(), e.begin() + static_cast<ptrdiff_t>(listed), old) ==
        e.begin() + static_cast<ptrdiff_t>(listed))
      manifest.entries.push_back(old);
  }
  std::sort(manifest.entries.begin(), manifest.entries.end(), ByPath);
  manifest.entries.erase(std::unique(manifest.entries.begin(), manifest.entries.end()),
                         manifest.entries.end());
  const size_t carried = manifest.entries.size() - listed;

  const auto text = download::SignManifest(manifest, *key.key);
  // Read back as the installer will: a key file whose halves don't belong
  // together would otherwise sign a manifest no installer accepts.
  if (!text || !download::ReadManifest(*text, key.key->public_key).manifest)
    return Fail(kExitBadInput, a.key + ": the key does not sign (its halves don't match)");
  if (!fs::WriteWholeFileAtomic(a.out, *text))
    return Fail(kExitBadInput, "cannot write " + a.out);
  Print(a.out + ": " + std::to_string(manifest.entries.size()) + " entries" +
        (a.keep.empty() ? "" : " (" + std::to_string(carried) + " kept from " + a.keep + ")") +
        ", " + std::to_string(files.size()) + " files of " + std::to_string(bytes) +
        " bytes, signed " + manifest.signed_at);
  return 0;
}

}  // namespace zentivo::pack
