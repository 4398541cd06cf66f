// check: the update server asked for every file of an edition's plan as the
// installer would ask for it; a table, one line per problem, exit 0 or 1.
// With a release key (--public-key, or the one the tool was built with) also
// the release manifest, and every fetched file against it.
#include <algorithm>
#include <array>

#include "pack/cli.h"
#include "pack/commands.h"
#include "pack/edition.h"
#include "pack/manifest_check.h"
#include "pack/plan_view.h"
#include "pack/release_keys.h"
#include "pack/server_check.h"

namespace zentivo::pack {
namespace {

constexpr download::HttpTimeouts kTimeouts{10, 30};

struct Column {
  const char* title;
  size_t width;
  std::string FileCheck::*field;
};
constexpr std::array<Column, 9> kColumns = {{
    {"file", 16, &FileCheck::name},
    {"plan", 11, nullptr},
    {"HEAD", 7, &FileCheck::head},
    {"length", 10, &FileCheck::length},
    {"range", 9, &FileCheck::range},
    {"ETag/LM", 9, &FileCheck::validators},
    {"encoding", 10, &FileCheck::encoding},
    {"archive", 17, &FileCheck::archive},
    {"redirect", 0, &FileCheck::redirect},
}};

std::string Row(const FileCheck* c) {
  std::string line;
  for (const auto& col : kColumns) {
    std::string cell = !c ? col.title : col.field ? c->*col.field : std::string(NeedText(c->need));
    line += col.width ? Pad(cell + " ", col.width) : cell;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// --public-key VALUE taken out of `args`, the rest being what plan takes.
std::optional<int> TakePublicKey(Args& args, std::optional<std::string>& value) {
  const auto it = std::find(args.begin(), args.end(), "--public-key");
  if (it == args.end())
    return std::nullopt;
  if (it + 1 == args.end())
    return Usage();
  value = *(it + 1);
  args.erase(it, it + 2);
  return std::nullopt;
}

}  // namespace

int RunCheck(const Args& given) {
  Args args = given;
  std::optional<std::string> key_argument;
  if (const auto code = TakePublicKey(args, key_argument))
    return *code;
  EditionCommand command;
  if (const auto code = ParseEditionCommand(args, command))
    return *code;
  if (command.server.empty())
    return Usage();
  const auto key = PublicKeyFromArgument(key_argument);
  if (!key.error.empty())
    return Fail(kExitBadInput, key.error);
  const auto edition = LoadEdition(command.source);
  if (!edition.info)
    return Fail(kExitBadInput, edition.error);

  const EditionPlan plan = PlanOf(*edition.info);
  for (const auto& line : EditionLines(*edition.info, plan)) Print(line);
  Print("server       " + command.server);
  ServedManifest served;
  if (key.key) {
    served = FetchManifest(command.server, *key.key, kTimeouts);
    const auto& m = served.manifest;
    Print("manifest     " +
          (m ? "signed " + m->signed_at + ", " + std::to_string(m->entries.size()) + " entries"
             : std::string("none that verifies")));
  }
  Print("");
  Print(Row(nullptr));
  std::vector<FileCheck> checks;
  for (const auto& file : plan.files) {
    checks.push_back(CheckFile(file, command.server, kTimeouts));
    Print(Row(&checks.back()));
    if (served.manifest) {
      for (auto& line :
           CheckListed(*served.manifest, file, checks.back(), command.server, kTimeouts))
        checks.back().problems.push_back(std::move(line));
    }
  }
  Print("");
  size_t problems = 0;
  if (key.key && !served.manifest) {
    Print("manifest: " + served.problem);
    ++problems;
  }
  for (const auto& c : checks) {
    for (const auto& p : c.problems) {
      Print(c.name + ": " + p);
      ++problems;
    }
  }
  if (problems == 0) {
    Print("ok: the server serves this edition as the installer needs it");
    return 0;
  }
  Print(std::to_string(problems) + (problems == 1 ? " problem" : " problems"));
  return kExitProblems;
}

}  // namespace zentivo::pack
