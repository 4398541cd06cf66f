// plan: which of the eight files an edition's installer asks for, and where.
#include "pack/cli.h"
#include "pack/commands.h"
#include "pack/edition.h"
#include "pack/plan_view.h"

namespace zentivo::pack {
namespace {

constexpr size_t kNameColumn = 16;
constexpr size_t kNeedColumn = 11;

}  // namespace

int RunPlan(const Args& args) {
  EditionCommand command;
  if (const auto code = ParseEditionCommand(args, command))
    return *code;
  const std::string& root = command.server;
  const auto edition = LoadEdition(command.source);
  if (!edition.info)
    return Fail(kExitBadInput, edition.error);

  const EditionPlan plan = PlanOf(*edition.info);
  for (const auto& line : EditionLines(*edition.info, plan)) Print(line);
  Print("");
  Print(Pad("file", kNameColumn) + Pad("plan", kNeedColumn) + (root.empty() ? "path" : "URL"));
  for (const auto& f : plan.files) {
    const bool left_out = f.need == download::PlanNeed::kLeftOut;
    Print(Pad(std::string(f.name), kNameColumn) + Pad(std::string(NeedText(f.need)), kNeedColumn) +
          (left_out ? "-" : root + f.path));
  }
  Print("");
  Print("planned: always fetched; if probed: asked for with HEAD, fetched when its size isn't 0");
  return 0;
}

}  // namespace zentivo::pack
