// pack: one installer per edition, or one per row of a matrix, each read
// back through the installer's own reader before it counts as made.
#include <algorithm>
#include <set>

#include "config/config_block.h"
#include "pack/block_writer.h"
#include "pack/cli.h"
#include "pack/commands.h"
#include "pack/edition.h"
#include "pack/installer_image.h"
#include "pack/matrix.h"
#include "pack/pack_values.h"
#include "platform/fs.h"

namespace zentivo::pack {
namespace {

struct PackArgs {
  std::string installer, output, matrix, out_dir;
  std::string pattern{kDefaultNamePattern};
  Values shared;  // --values and --set: every row's, the row's cells win
};

struct Job {
  std::string name;
  Values values;
  std::string xml;
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return s;
}

// The packed file read back as the installer reads it: every encoded field
// must come back as it was given.
std::optional<std::string> DumpCheck(const std::string& path, const Values& values) {
  std::string error;
  const auto info = ReadInstallerAppInfo(path, error);
  if (!info)
    return error;
  for (const auto& field : config::kAppInfoFields) {
    const std::string name(field.name);
    if (name == kPlainField)
      continue;
    const auto it = values.find(name);
    const std::string want = it == values.end() ? std::string() : it->second;
    if ((*info).*field.member != want)
      return name + " reads back as \"" + (*info).*field.member + "\", packed \"" + want + "\"";
  }
  return std::nullopt;
}

int PackOne(const PackArgs& a, const InstallerImage& image) {
  std::string xml;
  if (auto err = BuildXml(a.shared, xml))
    return Fail(kExitBadInput, *err);
  const std::string packed = image.Packed(config::MakeBlock(xml));
  if (!fs::WriteWholeFileAtomic(a.output, packed))
    return Fail(kExitBadInput, "cannot write " + a.output);
  return 0;
}

int PackMatrix(const PackArgs& a, const InstallerImage& image) {
  std::vector<MatrixRow> rows;
  if (auto err = ReadMatrix(a.matrix, rows))
    return Fail(kExitBadInput, *err);
  // Every row is made ready first, so that a bad row leaves nothing written.
  std::vector<Job> jobs;
  std::set<std::string> taken;  // names as Windows compares them
  for (const auto& row : rows) {
    const std::string where = a.matrix + ":" + std::to_string(row.line) + ": ";
    Job job;
    job.values = a.shared;
    for (const auto& [k, v] : row.values) job.values[k] = v;
    if (auto err = NameFromPattern(a.pattern, job.values, job.name))
      return Fail(kExitBadInput, where + *err);
    if (!taken.insert(Lower(job.name)).second)
      return Fail(kExitBadInput,
                  where + "the name \"" + job.name + "\" is taken by an earlier row");
    if (auto err = BuildXml(job.values, job.xml))
      return Fail(kExitBadInput, where + *err);
    jobs.push_back(std::move(job));
  }
  if (!fs::MakeDirectories(a.out_dir))
    return Fail(kExitBadInput, "cannot make " + a.out_dir);
  for (const auto& job : jobs) {
    const std::string path = a.out_dir + "\\" + job.name;
    if (!fs::WriteWholeFileAtomic(path, image.Packed(config::MakeBlock(job.xml))))
      return Fail(kExitBadInput, "cannot write " + path);
    if (auto err = DumpCheck(path, job.values)) {
      fs::RemoveFile(path);
      return Fail(kExitBadInput, job.name + ": dump check failed: " + *err);
    }
    const auto value = [&job](const char* field) {
      const auto it = job.values.find(field);
      return it == job.values.end() ? std::string() : it->second;
    };
    Print(job.name + "\tAppEName=" + value("AppEName") + "\tAgentVersion=" + value("AgentVersion") +
          "\tdump ok");
  }
  return 0;
}

}  // namespace

int RunPack(const Args& args) {
  PackArgs a;
  bool named_pattern = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_next = i + 1 < args.size();
    if (arg == "--installer" && has_next) {
      a.installer = args[++i];
    } else if (arg == "--output" && has_next) {
      a.output = args[++i];
    } else if (arg == "--matrix" && has_next) {
      a.matrix = args[++i];
    } else if (arg == "--out-dir" && has_next) {
      a.out_dir = args[++i];
    } else if (arg == "--name" && has_next) {
      a.pattern = args[++i];
      named_pattern = true;
    } else if (arg == "--values" && has_next) {
      if (auto err = AddValuesFile(a.shared, args[++i]))
        return Fail(kExitBadInput, *err);
    } else if (arg == "--set" && has_next) {
      if (auto err = AddAssignment(a.shared, args[++i]))
        return Fail(kExitBadInput, *err);
    } else {
      return Usage();
    }
  }
  const bool matrix = !a.matrix.empty() || !a.out_dir.empty();
  if (a.installer.empty() || (matrix ? a.matrix.empty() || a.out_dir.empty() || !a.output.empty()
                                     : a.output.empty() || named_pattern))
    return Usage();

  const auto file = fs::ReadWholeFile(a.installer);
  if (!file)
    return Fail(kExitBadInput, "cannot read installer " + a.installer);
  std::string error;
  const auto image = InstallerImage::Read(*file, error);
  if (!image)
    return Fail(kExitBadInput, a.installer + ": " + error);
  return matrix ? PackMatrix(a, *image) : PackOne(a, *image);
}

}  // namespace zentivo::pack
