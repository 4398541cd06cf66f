// The packaging side of the configuration block: the XML text as zentivo-pack
// writes it and the block appended to the installer. The installer only reads
// blocks (config/config_block.h), so this lives with the tool and is not
// linked into it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zentivo::config {

// The block for `xml`: the text followed by its length field.
std::string MakeBlock(std::string_view xml);

// The XML text as the packaging side writes it: declaration, root AppInfo,
// one tab-indented child per field in table order and then the empty
// trailing elements, CR LF after every line. `encoded` holds each field's
// text as it is to stand in the file (already encoded where it should be);
// "&", "<" and ">" are escaped.
std::string MakeConfigXml(const std::vector<std::pair<std::string, std::string>>& encoded);

}  // namespace zentivo::config
