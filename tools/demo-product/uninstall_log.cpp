#include "uninstall_log.h"

#include <algorithm>

#include "platform/text.h"

namespace zentivo::demo {
namespace {

enum class Section { kNone, kFile, kDir, kUnknown };

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::vector<std::string_view> SplitParts(std::string_view s) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= s.size()) {
    const size_t end = std::min(s.find('\\', start), s.size());
    parts.push_back(s.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The parts below the root (drive or share), or nullopt with `reason` set
// when the path has no such root or names the root itself.
std::optional<std::vector<std::string_view>> PartsBelowRoot(std::string_view n,
                                                            std::string& reason) {
  if (n.rfind("\\\\", 0) == 0) {
    if (n.size() > 2 && (n[2] == '?' || n[2] == '.')) {
      reason = "设备路径";
      return std::nullopt;
    }
    auto parts = SplitParts(n.substr(2));
    if (parts.size() < 3) {
      reason = "网络共享的根目录";
      return std::nullopt;
    }
    return parts;  // server and share included; they are checked like names
  }
  if (n.size() >= 2 && IsDriveLetter(n[0]) && n[1] == ':') {
    if (n.size() == 2) {
      reason = "磁盘的根目录";
      return std::nullopt;
    }
    if (n[2] != '\\') {
      reason = "相对路径";
      return std::nullopt;
    }
    return SplitParts(n.substr(3));
  }
  reason = "不是完整路径";
  return std::nullopt;
}

size_t Depth(std::string_view n) {
  return static_cast<size_t>(std::count(n.begin(), n.end(), '\\'));
}

struct Decoded {
  std::string text;
  bool valid = true;
};

Decoded DecodeLine(std::string_view gbk) {
  Decoded d;
  text::GbkToUtf8(gbk, d.text, [&d](unsigned char, std::string& out) {
    d.valid = false;
    out += "\xEF\xBF\xBD";
  });
  return d;
}

void AddOnce(std::vector<std::string>& list, std::string path) {
  for (const auto& p : list) {
    if (SamePath(p, path))
      return;
  }
  list.push_back(std::move(path));
}

}  // namespace

std::string NormalizePath(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i] == '/' ? '\\' : path[i];
    // A share's name starts with two separators; everywhere else one.
    if (c == '\\' && !out.empty() && out.back() == '\\' && !(i == 1 && out.size() == 1))
      continue;
    out.push_back(c);
  }
  while (out.size() > 1 && out.back() == '\\' && out != "\\\\") out.pop_back();
  return out;
}

std::optional<std::string> RefusalReason(std::string_view path) {
  const std::string n = NormalizePath(path);
  if (n.empty())
    return "路径为空";
  std::string reason;
  const auto parts = PartsBelowRoot(n, reason);
  if (!parts)
    return reason;
  for (std::string_view part : *parts) {
    if (part.empty())
      return "含有空的名称";
    if (part == "." || part == "..")
      return "含有“.”或“..”";
    for (char c : part) {
      if (static_cast<unsigned char>(c) < 0x20 ||
          std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
        return "含有文件名中不允许的字符";
    }
  }
  return std::nullopt;
}

bool SamePath(std::string_view a, std::string_view b) {
  const std::string na = NormalizePath(a);
  const std::string nb = NormalizePath(b);
  return na.size() == nb.size() && std::equal(na.begin(), na.end(), nb.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

bool IsInside(std::string_view path, std::string_view dir) {
  const std::string np = NormalizePath(path);
  const std::string nd = NormalizePath(dir);
  return np.size() > nd.size() + 1 && np[nd.size()] == '\\' &&
         SamePath(std::string_view(np).substr(0, nd.size()), nd);
}

std::vector<std::string> DeepestFirst(std::vector<std::string> dirs) {
  std::stable_sort(dirs.begin(), dirs.end(), [](const std::string& a, const std::string& b) {
    return Depth(NormalizePath(a)) > Depth(NormalizePath(b));
  });
  return dirs;
}

UninstallLog ParseUninstallLog(std::string_view gbk_text) {
  UninstallLog log;
  Section section = Section::kNone;
  int number = 0;
  size_t start = 0;
  while (start < gbk_text.size()) {
    size_t end = gbk_text.find('\n', start);
    if (end == std::string_view::npos)
      end = gbk_text.size();
    std::string_view raw = gbk_text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == '\r')
      raw.remove_suffix(1);
    if (raw.empty())
      continue;

    const Decoded line = DecodeLine(raw);
    auto refuse = [&](std::string reason) {
      log.refused.push_back({number, line.text, std::move(reason)});
    };
    if (raw.front() == '[' && raw.back() == ']') {
      std::string name(raw);
      std::transform(name.begin(), name.end(), name.begin(), LowerAscii);
      section = name == "[file]"  ? Section::kFile
                : name == "[dir]" ? Section::kDir
                                  : Section::kUnknown;
      if (section == Section::kUnknown)
        refuse("未知的节");
      continue;
    }
    if (!line.valid) {
      refuse("不是有效的 GBK 文本");
      continue;
    }
    if (section == Section::kNone) {
      refuse("不在 [file] 或 [dir] 节中");
      continue;
    }
    if (section == Section::kUnknown) {
      refuse("位于未知的节中");
      continue;
    }
    if (section == Section::kFile && (raw.back() == '\\' || raw.back() == '/')) {
      refuse("[file] 节中的文件夹");
      continue;
    }
    if (auto reason = RefusalReason(line.text)) {
      refuse(*reason);
      continue;
    }
    AddOnce(section == Section::kFile ? log.files : log.dirs, NormalizePath(line.text));
  }
  return log;
}

}  // namespace zentivo::demo
