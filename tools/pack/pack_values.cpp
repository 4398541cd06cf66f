#include "pack/pack_values.h"

#include "config/app_info.h"
#include "config/config_block.h"
#include "config/encrypt.h"
#include "config/file_name.h"
#include "pack/block_writer.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace zentivo::pack {
namespace {

std::string Hex(unsigned char b) {
  static constexpr char kDigits[] = "0123456789abcdef";
  return std::string("\\x") + kDigits[b >> 4] + kDigits[b & 15];
}

}  // namespace

bool IsField(const std::string& name) {
  for (const auto& f : config::kAppInfoFields) {
    if (f.name == name)
      return true;
  }
  return false;
}

std::optional<std::string> AddAssignment(Values& values, const std::string& item) {
  const size_t eq = item.find('=');
  if (eq == std::string::npos || eq == 0)
    return "expected NAME=VALUE, got \"" + item + "\"";
  const std::string name = item.substr(0, eq);
  if (!IsField(name))
    return "unknown field \"" + name + "\"";
  values[name] = item.substr(eq + 1);
  return std::nullopt;
}

std::vector<TextLine> ContentLines(const std::string& data) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  std::vector<TextLine> lines;
  size_t number = 0;
  for (size_t pos = 0; pos < data.size();) {
    size_t end = data.find('\n', pos);
    if (end == std::string::npos)
      end = data.size();
    std::string line = data.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (number == 1 && line.rfind(kBom, 0) == 0)
      line.erase(0, kBom.size());
    const size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line[first] != '#')
      lines.push_back({number, std::move(line)});
  }
  return lines;
}

std::optional<std::string> AddValuesFile(Values& values, const std::string& path) {
  const auto data = fs::ReadWholeFile(path);
  if (!data)
    return "cannot read values file " + path;
  for (const auto& line : ContentLines(*data)) {
    const size_t first = line.text.find_first_not_of(" \t");
    if (auto err = AddAssignment(values, line.text.substr(first)))
      return path + ":" + std::to_string(line.number) + ": " + *err;
  }
  return std::nullopt;
}

std::optional<std::string> BuildXml(const Values& values, std::string& xml) {
  std::vector<std::pair<std::string, std::string>> stored;
  for (const auto& f : config::kAppInfoFields) {
    const std::string name(f.name);
    const auto it = values.find(name);
    const std::string value = it == values.end() ? std::string() : it->second;
    if (!text::IsValidUtf8(value))
      return "value of " + name + " is not valid UTF-8";
    if (name == kPlainField) {
      stored.emplace_back(name, value);
      continue;
    }
    const auto gbk = text::Utf8ToGbk(value);
    if (!gbk)
      return "value of " + name + " has characters that GBK cannot hold";
    stored.emplace_back(name, config::EncodeValue(*gbk, config::StartKey));
  }
  // The installer refuses a block whose folder or shortcut names are not one
  // path component each; such a block is not made at all.
  for (const auto& f : config::kFileNameFields) {
    const auto it = values.find(std::string(f.name));
    const std::string value = it == values.end() ? std::string() : it->second;
    if (auto reason = config::SingleFileNameProblem(value))
      return config::Describe({f.name, value, *reason}) + ": the installer refuses such a block";
  }
  for (auto trailing : config::kTrailingElements) stored.emplace_back(std::string(trailing), "");
  xml = config::MakeConfigXml(stored);
  return std::nullopt;
}

std::string Printable(const std::string& gbk_bytes) {
  std::string out;
  text::GbkToUtf8(gbk_bytes, out, [](unsigned char b, std::string& o) { o += Hex(b); });
  // Control characters are not printable either.
  std::string shown;
  for (char c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      shown += Hex(u);
    } else {
      shown.push_back(c);
    }
  }
  return shown;
}

}  // namespace zentivo::pack
