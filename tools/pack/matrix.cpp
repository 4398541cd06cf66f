#include "pack/matrix.h"

#include <set>

#include "platform/fs.h"

namespace zentivo::pack {
namespace {

constexpr std::string_view kRefusedInNames = "<>:\"/\\|?*";

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos)
      return cells;
    start = tab + 1;
  }
}

}  // namespace

std::optional<std::string> ReadMatrix(const std::string& path, std::vector<MatrixRow>& rows) {
  const auto data = fs::ReadWholeFile(path);
  if (!data)
    return "cannot read matrix " + path;
  std::vector<std::string> header;
  for (const auto& line : ContentLines(*data)) {
    const std::string where = path + ":" + std::to_string(line.number) + ": ";
    auto cells = SplitTabs(line.text);
    if (header.empty()) {
      std::set<std::string> seen;
      for (const auto& name : cells) {
        if (!IsField(name))
          return where + "unknown field \"" + name + "\" in the header";
        if (!seen.insert(name).second)
          return where + "field \"" + name + "\" named twice";
      }
      header = std::move(cells);
      continue;
    }
    if (cells.size() != header.size())
      return where + std::to_string(cells.size()) + " cells, the header has " +
             std::to_string(header.size());
    MatrixRow row{line.number, {}};
    for (size_t i = 0; i < cells.size(); ++i) row.values[header[i]] = cells[i];
    rows.push_back(std::move(row));
  }
  if (header.empty())
    return path + ": no header row";
  if (rows.empty())
    return path + ": no edition rows";
  return std::nullopt;
}

std::optional<std::string> NameFromPattern(const std::string& pattern, const Values& values,
                                           std::string& name) {
  name.clear();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '{') {
      name.push_back(pattern[i]);
      continue;
    }
    const size_t close = pattern.find('}', i);
    if (close == std::string::npos)
      return "unclosed \"{\" in the name pattern";
    const std::string field = pattern.substr(i + 1, close - i - 1);
    if (!IsField(field))
      return "unknown field \"" + field + "\" in the name pattern";
    const auto it = values.find(field);
    if (it != values.end())
      name += it->second;
    i = close;
  }
  if (name.empty())
    return "the name pattern gives an empty name";
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || kRefusedInNames.find(c) != std::string_view::npos)
      return "the name \"" + name + "\" has a character file names can't hold";
  }
  if (name.back() == '.' || name.back() == ' ')
    return "the name \"" + name + "\" ends in a dot or a space";
  return std::nullopt;
}

}  // namespace zentivo::pack
