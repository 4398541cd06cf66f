// A matrix of editions: a tab-separated file whose header row names the
// fields and whose every other row is one installer (one edition and agent),
// and the pattern that names each installer's file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pack/pack_values.h"

namespace zentivo::pack {

struct MatrixRow {
  size_t line = 0;  // in the file, for messages
  Values values;    // the row's cells by the header's names
};

// The rows of a matrix file (UTF-8, optional byte-order mark, LF or CR LF;
// blank lines and lines starting with "#" are skipped). An error text for an
// unreadable file, a header cell that is not a field or repeats one, or a row
// with another number of cells than the header.
[[nodiscard]] std::optional<std::string> ReadMatrix(const std::string& path,
                                                    std::vector<MatrixRow>& rows);

inline constexpr std::string_view kDefaultNamePattern =
    "ZentivoSetup-{AppEName}-{AgentVersion}.exe";

// The pattern with every {FIELD} replaced by the value's; an error text for
// an unknown or unclosed placeholder, or a name that is empty, holds a path
// separator, a character Windows refuses in names or a control character,
// or ends in a dot or space.
[[nodiscard]] std::optional<std::string> NameFromPattern(const std::string& pattern,
                                                         const Values& values, std::string& name);

}  // namespace zentivo::pack
