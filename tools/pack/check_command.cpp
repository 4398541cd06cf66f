// check: the update server asked for every file of an edition's plan as the
// installer would ask for it; a table, one line per problem, exit 0 or 1.
#include <array>

#include "pack/cli.h"
#include "pack/commands.h"
#include "pack/edition.h"
#include "pack/plan_view.h"
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

}  // namespace

int RunCheck(const Args& args) {
  EditionCommand command;
  if (const auto code = ParseEditionCommand(args, command))
    return *code;
  if (command.server.empty())
    return Usage();
  const auto edition = LoadEdition(command.source);
  if (!edition.info)
    return Fail(kExitBadInput, edition.error);

  const EditionPlan plan = PlanOf(*edition.info);
  for (const auto& line : EditionLines(*edition.info, plan)) Print(line);
  Print("server       " + command.server);
  Print("");
  Print(Row(nullptr));
  std::vector<FileCheck> checks;
  for (const auto& file : plan.files) {
    checks.push_back(CheckFile(file, command.server, kTimeouts));
    Print(Row(&checks.back()));
  }
  Print("");
  size_t problems = 0;
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
