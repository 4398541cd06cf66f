#include "config/config_block.h"

#include "platform/fs.h"

namespace zentivo::config {
namespace {

constexpr size_t kLengthFieldSize = 4;

int32_t ReadLe32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return static_cast<int32_t>(static_cast<uint32_t>(u[0]) | (static_cast<uint32_t>(u[1]) << 8) |
                              (static_cast<uint32_t>(u[2]) << 16) |
                              (static_cast<uint32_t>(u[3]) << 24));
}

// A stored length that can describe a block of a file of `file_size` bytes:
// at least the length field itself, at most the whole file.
bool LengthFits(int32_t n, uint64_t file_size) {
  return n >= static_cast<int32_t>(kLengthFieldSize) && static_cast<uint64_t>(n) <= file_size;
}

std::string EscapeXml(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace

ExtractResult ExtractConfigBlock(const std::string& exe_path, const std::string& work_dir) {
  auto exe = fs::File::Open(exe_path, fs::File::Mode::kRead);
  if (!exe) return ExtractResult::kFailed;
  const auto size = exe->Size();
  if (!size || *size < static_cast<int64_t>(kLengthFieldSize)) return ExtractResult::kFailed;

  char field[kLengthFieldSize];
  if (!exe->Seek(*size - static_cast<int64_t>(kLengthFieldSize))) return ExtractResult::kFailed;
  const auto got = exe->Read(field);
  if (!got || *got != kLengthFieldSize) return ExtractResult::kFailed;

  const int32_t n = ReadLe32(field);
  if (n == 0) return ExtractResult::kNoBlock;
  // A length that can't describe a block of this file means a damaged or
  // foreign tail: treated like an unreadable configuration.
  if (!LengthFits(n, static_cast<uint64_t>(*size)))
    return ExtractResult::kFailed;

  std::string xml(static_cast<size_t>(n) - kLengthFieldSize, '\0');
  if (!exe->Seek(*size - n)) return ExtractResult::kFailed;
  size_t filled = 0;
  while (filled < xml.size()) {
    const auto r = exe->Read(std::span<char>(xml.data() + filled, xml.size() - filled));
    if (!r || *r == 0) return ExtractResult::kFailed;
    filled += *r;
  }
  exe.reset();

  if (!fs::MakeDirectories(work_dir)) return ExtractResult::kFailed;
  const std::string target = work_dir + "\\" + std::string(kAppInfoFileName);
  if (!fs::WriteWholeFileAtomic(target, xml)) return ExtractResult::kFailed;
  return ExtractResult::kWritten;
}

std::optional<size_t> FindBlock(std::string_view file) {
  if (file.size() < kLengthFieldSize) return std::nullopt;
  const int32_t n = ReadLe32(file.data() + file.size() - kLengthFieldSize);
  if (!LengthFits(n, file.size()))
    return std::nullopt;
  return file.size() - static_cast<size_t>(n);
}

std::string MakeBlock(std::string_view xml) {
  std::string block(xml);
  const auto n = static_cast<uint32_t>(xml.size() + kLengthFieldSize);
  for (int i = 0; i < 4; ++i) block.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  return block;
}

std::string MakeConfigXml(const std::vector<std::pair<std::string, std::string>>& encoded) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<AppInfo>\r\n";
  for (const auto& [name, text] : encoded) {
    if (text.empty()) {
      xml += "\t<" + name + " />\r\n";
    } else {
      xml += "\t<" + name + ">" + EscapeXml(text) + "</" + name + ">\r\n";
    }
  }
  xml += "</AppInfo>\r\n";
  return xml;
}

}  // namespace zentivo::config
