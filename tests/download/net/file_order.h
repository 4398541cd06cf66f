// The requests of a run put back into the order the worker issues them:
// file after file, each file's HEAD before its ranges. A log line is written
// when a reply ends, and the next file's HEAD and first ranges go out while
// the last ranges of the file before it still arrive, so in a log the files
// overlap. A file's place is that of its HEAD: those go out strictly one
// after another. Within a file the log's order stands.
#pragma once

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace zentivo::testing {

// "METHOD KEY RANGE" lines; `key_of` names the file a line is of. The first
// `skip` lines (the size probes) stay where they are.
template <class KeyOf>
std::vector<std::string> InFileOrder(std::vector<std::string> log, size_t skip, KeyOf key_of) {
  const auto from = log.begin() + static_cast<long>(std::min(skip, log.size()));
  std::map<std::string, size_t> place;
  for (auto it = from; it != log.end(); ++it) {
    if (it->starts_with("HEAD "))
      place.emplace(key_of(*it), place.size());
  }
  std::stable_sort(from, log.end(), [&](const std::string& a, const std::string& b) {
    return place[key_of(a)] < place[key_of(b)];
  });
  return log;
}

// The log with the GETs between two HEADs sorted: the order of the files
// and of the HEADs counts, not the order in which one file's ranges ended.
inline std::vector<std::string> WithinFilesSorted(std::vector<std::string> log) {
  auto from = log.begin();
  while (from != log.end()) {
    from =
        std::find_if(from, log.end(), [](const std::string& e) { return e.starts_with("GET "); });
    const auto to =
        std::find_if(from, log.end(), [](const std::string& e) { return e.starts_with("HEAD "); });
    std::sort(from, to);
    from = to;
  }
  return log;
}

// The second word of a line.
inline std::string SecondWord(const std::string& line) {
  const size_t from = line.find(' ') + 1;
  return line.substr(from, line.find(' ', from) - from);
}

}  // namespace zentivo::testing
