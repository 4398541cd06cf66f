// libFuzzer target: the ZIP reader on any bytes, fed from memory.
//   1. Every entry's data through a counting sink: no entry gives more bytes
//      than the directory declares for it, and a verified one gives exactly
//      that many.
//   2. The whole archive extracted into a scratch folder: nothing appears
//      beside the destination, every file in it is an entry's target no
//      longer than that entry declares, no unfinished part is left, and the
//      total is bounded by the declared sizes.
// A crash, a hang (libFuzzer's -timeout) or a broken property is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "install/entry_path.h"
#include "install/extract_package.h"
#include "install/zip_directory.h"
#include "install/zip_entry_data.h"
#include "install/zip_extractor.h"
#include "platform/fs.h"
#include "platform/fuzz_check.h"
#include "support/temp_dir.h"

using zentivo::fuzz::Require;
namespace fs = zentivo::fs;
namespace install = zentivo::install;

namespace {

// Relative target ("a\b.txt") -> the most any entry writing it declares.
std::map<std::string, uint64_t> DeclaredTargets(const std::vector<install::ZipEntry>& entries,
                                                uint64_t& declared_total) {
  std::map<std::string, uint64_t> targets;
  for (const auto& e : entries) {
    const auto name = install::DecodeEntryName(e);
    const auto relative = name ? install::SafeRelativePath(*name) : std::nullopt;
    if (!relative)
      continue;
    uint64_t& most = targets[*relative];
    most = std::max(most, e.uncompressed_size);
    declared_total += e.uncompressed_size;
  }
  return targets;
}

// Walks the extracted tree; returns the bytes it holds.
uint64_t CheckTree(const std::string& dir, const std::string& relative,
                   const std::map<std::string, uint64_t>& targets) {
  uint64_t total = 0;
  for (const auto& entry : fs::ListDirectory(dir)) {
    if (entry.name == "." || entry.name == "..")
      continue;
    const std::string rel = relative.empty() ? entry.name : relative + "\\" + entry.name;
    const std::string path = dir + "/" + entry.name;
    if (entry.attributes & fs::kAttrDirectory) {
      total += CheckTree(path, rel, targets);
      continue;
    }
    const auto target = targets.find(rel);
    if (target == targets.end())
      std::fprintf(stderr, "not an entry's target: %s\n", rel.c_str());
    Require(target != targets.end(), "every extracted file is an entry's target");
    const auto size = fs::FileSize(path);
    Require(size && static_cast<uint64_t>(*size) <= target->second,
            "no extracted file is longer than its entry declares");
    total += static_cast<uint64_t>(*size);
  }
  return total;
}

void CountEntryData(install::ByteSource& source, const std::vector<install::ZipEntry>& entries) {
  static install::EntryBuffers buffers;
  const install::Pump no_pump = [] { return true; };
  for (const auto& e : entries) {
    uint64_t given = 0;
    const auto sink = [&given](std::span<const char> block) {
      given += block.size();
      return true;
    };
    install::EntryDataResult result;
    try {
      result = install::ReadEntryData(source, e, buffers, sink, no_pump);
    } catch (const install::EExtractFailure&) {
      return;  // fatal for the archive: extraction stops here
    }
    Require(given <= e.uncompressed_size, "no entry gives more than it declares");
    Require(result != install::EntryDataResult::kOk || given == e.uncompressed_size,
            "a verified entry gives exactly its declared size");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  install::MemoryByteSource source(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<install::ZipEntry> entries;
  try {
    entries = install::ReadCentralDirectory(source);
  } catch (const install::EExtractFailure&) {
    return 0;
  }
  CountEntryData(source, entries);

  uint64_t declared_total = 0;
  const auto targets = DeclaredTargets(entries, declared_total);
  // Holds only "dest" while an input runs; TMPDIR says where (run-fuzz-target
  // points it at /dev/shm).
  static const zentivo::testing::TempDir scratch;
  const std::string dest = scratch / "dest";
  try {
    install::ExtractArchive(source, dest, [] { return true; });
  } catch (const install::EExtractFailure&) {
  } catch (const install::EWriteFailure&) {
    // A name of the archive's own in the way of another entry's side file:
    // a failed write, reported as such, never a half file.
  }
  const auto beside = fs::ListDirectory(scratch.path());
  for (const auto& entry : beside) {
    Require(entry.name == "." || entry.name == ".." || entry.name == "dest",
            "nothing is written beside the destination");
  }
  if (fs::DirectoryExists(dest)) {
    Require(CheckTree(dest, "", targets) <= declared_total,
            "the output is bounded by the declared sizes");
    zentivo::testing::RemoveTree(dest);
  }
  return 0;
}
