// dump, encode and decode: reading blocks and single values back.
#include "config/config_block.h"
#include "config/encrypt.h"
#include "config/file_name.h"
#include "config/read_app_info.h"
#include "config/xml_document.h"
#include "pack/cli.h"
#include "pack/commands.h"
#include "pack/pack_values.h"
#include "pack/scratch_dir.h"
#include "platform/com.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace zentivo::pack {

int RunDump(const Args& args) {
  if (args.size() != 1)
    return Usage();
  const std::string& exe = args[0];
  if (!fs::FileExists(exe))
    return Fail(kExitBadInput, "cannot read " + exe);
  const auto work = ScratchDir::Create();
  if (!work)
    return Fail(kExitBadInput, "cannot make a temporary folder");
  if (config::ExtractConfigBlock(exe, work->path()) != config::ExtractResult::kWritten)
    return Fail(kExitBadInput, exe + ": no configuration block");

  // The raw decoded bytes, not the installer's UTF-8 record: bytes that are
  // not GBK show as \xHH instead of vanishing into U+FFFD.
  std::vector<std::string> lines, warnings;
  bool damaged = false;
  {
    platform::ComApartment com;
    auto doc = config::CreateXmlDocument();
    damaged = !doc->LoadFile(work->File(std::string(config::kAppInfoFileName)));
    for (const auto& field : config::kAppInfoFields) {
      if (damaged)
        break;
      auto text = doc->DocumentElement()->ChildByName(std::string(field.name))->Text();
      if (!text) {
        damaged = true;
        break;
      }
      const std::string bytes = config::DecodeValue(text::Utf8ToGbkLossy(*text), config::StartKey);
      lines.push_back(std::string(field.name) + "=" + Printable(bytes));
    }
    // The values as the installer reads them, for the names it checks.
    if (const auto info = damaged ? std::nullopt : config::ReadAppInfoValues(*doc)) {
      for (const auto& field : config::kFileNameFields) {
        const std::string& value = (*info).*field.member;
        if (auto reason = config::SingleFileNameProblem(value))
          warnings.push_back(config::Describe({field.name, value, *reason}) +
                             ": the installer refuses this block");
      }
    }
  }
  if (damaged)
    return Fail(kExitBadInput, exe + ": the configuration block is damaged");
  for (const auto& l : lines) Print(l);
  for (const auto& w : warnings) Warn(w);
  return 0;
}

int RunEncode(const Args& args) {
  if (args.size() != 1)
    return Usage();
  const auto gbk = text::Utf8ToGbk(args[0]);
  if (!gbk)
    return Fail(kExitBadInput, "the value has characters that GBK cannot hold");
  Print(config::EncodeValue(*gbk, config::StartKey));
  return 0;
}

int RunDecode(const Args& args) {
  const bool hex = !args.empty() && args[0] == "--hex";
  if (args.size() != (hex ? 2u : 1u))
    return Usage();
  const std::string bytes = config::DecodeValue(args.back(), config::StartKey);
  if (!hex) {
    Print(Printable(bytes));
    return 0;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  Print(out);
  return 0;
}

}  // namespace zentivo::pack
