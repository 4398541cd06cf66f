// zentivo-pack: makes an installer for one edition by appending its
// configuration block, and reads such blocks back.
//
//   zentivo-pack pack --installer IN.exe --output OUT.exe [--values FILE] [--set NAME=VALUE]...
//   zentivo-pack dump EXE
//   zentivo-pack encode VALUE
//   zentivo-pack decode [--hex] TEXT
#include <cstdio>
#include <string>
#include <vector>

#include "config/app_info.h"
#include "config/config_block.h"
#include "config/encrypt.h"
#include "config/xml_document.h"
#include "pack_values.h"
#include "platform/args.h"
#include "platform/com.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

using namespace zentivo;

constexpr int kExitUsage = 1;
constexpr int kExitBadInput = 2;

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "zentivo-pack: %s\n", message.c_str());
  return code;
}

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

int Usage() {
  std::fputs(
      "usage:\n"
      "  zentivo-pack pack --installer IN.exe --output OUT.exe [--values FILE] [--set NAME=VALUE]...\n"
      "  zentivo-pack dump EXE\n"
      "  zentivo-pack encode VALUE\n"
      "  zentivo-pack decode [--hex] TEXT\n",
      stderr);
  return kExitUsage;
}

// The installer without any block it already carries.
std::string_view ProgramImage(std::string_view file) {
  const auto start = config::FindBlock(file);
  if (start && file.substr(*start).rfind("<?xml", 0) == 0) return file.substr(0, *start);
  return file;
}

int Pack(const std::vector<std::string>& args) {
  std::string installer, output;
  pack::Values values;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_next = i + 1 < args.size();
    if (a == "--installer" && has_next) {
      installer = args[++i];
    } else if (a == "--output" && has_next) {
      output = args[++i];
    } else if (a == "--values" && has_next) {
      if (auto err = pack::AddValuesFile(values, args[++i])) return Fail(kExitBadInput, *err);
    } else if (a == "--set" && has_next) {
      if (auto err = pack::AddAssignment(values, args[++i])) return Fail(kExitBadInput, *err);
    } else {
      return Usage();
    }
  }
  if (installer.empty() || output.empty()) return Usage();

  const auto image = fs::ReadWholeFile(installer);
  if (!image) return Fail(kExitBadInput, "cannot read installer " + installer);
  std::string xml;
  if (auto err = pack::BuildXml(values, xml)) return Fail(kExitBadInput, *err);

  std::string packed(ProgramImage(*image));
  packed += config::MakeBlock(xml);
  if (!fs::WriteWholeFileAtomic(output, packed)) return Fail(kExitBadInput, "cannot write " + output);
  return 0;
}

std::string TempDir() {
  for (const char* name : {"TMPDIR", "TEMP", "TMP"}) {
    std::string v = platform::GetEnv(name);
    if (!v.empty()) return v;
  }
  return "/tmp";
}

int Dump(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  const std::string& exe = args[0];
  if (!fs::FileExists(exe)) return Fail(kExitBadInput, "cannot read " + exe);
  const std::string work = TempDir() + "\\zentivo-pack-" + std::to_string(std::rand()) +
                           std::to_string(reinterpret_cast<uintptr_t>(&exe) & 0xFFFF);
  const auto extracted = config::ExtractConfigBlock(exe, work);
  if (extracted != config::ExtractResult::kWritten)
    return Fail(kExitBadInput, exe + ": no configuration block");

  const std::string xml_path = work + "\\" + std::string(config::kAppInfoFileName);
  platform::ComApartment com;
  auto doc = config::CreateXmlDocument();
  const bool loaded = doc->LoadFile(xml_path);
  std::vector<std::string> lines;
  bool damaged = !loaded;
  if (loaded) {
    for (const auto& field : config::kAppInfoFields) {
      auto text = doc->DocumentElement()->ChildByName(std::string(field.name))->Text();
      if (!text) {
        damaged = true;
        break;
      }
      const std::string bytes =
          config::DecodeValue(text::Utf8ToGbkLossy(*text), config::StartKey);
      lines.push_back(std::string(field.name) + "=" + pack::Printable(bytes));
    }
  }
  doc.reset();
  fs::RemoveFile(xml_path);
  fs::RemoveEmptyDirectory(work);
  if (damaged) return Fail(kExitBadInput, exe + ": the configuration block is damaged");
  for (const auto& l : lines) Print(l);
  return 0;
}

int Encode(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  const auto gbk = text::Utf8ToGbk(args[0]);
  if (!gbk) return Fail(kExitBadInput, "the value has characters that GBK cannot hold");
  Print(config::EncodeValue(*gbk, config::StartKey));
  return 0;
}

int Decode(const std::vector<std::string>& args) {
  const bool hex = !args.empty() && args[0] == "--hex";
  if (args.size() != (hex ? 2u : 1u)) return Usage();
  const std::string bytes = config::DecodeValue(args.back(), config::StartKey);
  if (!hex) {
    Print(pack::Printable(bytes));
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

}  // namespace

int main(int argc, char** argv) {
  const auto all = platform::Utf8Arguments(argc, argv);
  if (all.size() < 2) return Usage();
  const std::string command = all[1];
  const std::vector<std::string> rest(all.begin() + 2, all.end());
  if (command == "pack") return Pack(rest);
  if (command == "dump") return Dump(rest);
  if (command == "encode") return Encode(rest);
  if (command == "decode") return Decode(rest);
  return Usage();
}
