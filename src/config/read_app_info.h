// ReadAppInfo: parses appinfo.xml and decodes every value into a TAppInfo.
#pragma once

#include <optional>
#include <string>

#include "config/app_info.h"
#include "config/xml_document.h"

namespace zentivo::config {

// nullopt when the file can't be loaded, a read element holds anything but
// character data, or AppEName or AppName is not a single file name
// (config/file_name.h): the installer refuses such a block as it refuses an
// unreadable one. A missing element gives an empty field.
[[nodiscard]] std::optional<TAppInfo> ReadAppInfo(XmlDocument& document, const std::string& path);

// The same from a document already loaded (from a file or from memory).
[[nodiscard]] std::optional<TAppInfo> ReadAppInfo(const XmlDocument& loaded);

// Every value decoded, without the file-name check: for the packing tool,
// which names what is wrong with a block instead of only refusing it.
[[nodiscard]] std::optional<TAppInfo> ReadAppInfoValues(const XmlDocument& loaded);

// One stored text to its value: to the 8-bit code page, decoded with
// StartKey, and from GBK to UTF-8 (bytes that are not GBK become U+FFFD).
std::string DecodeStoredText(const std::string& utf8_text);

}  // namespace zentivo::config
