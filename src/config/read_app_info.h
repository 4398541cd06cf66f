// ReadAppInfo: parses appinfo.xml and decodes every value into a TAppInfo.
#pragma once

#include <optional>
#include <string>

#include "config/app_info.h"
#include "config/xml_document.h"

namespace zentivo::config {

// nullopt when the file can't be loaded or a read element holds anything but
// character data; a missing element gives an empty field.
[[nodiscard]] std::optional<TAppInfo> ReadAppInfo(XmlDocument& document, const std::string& path);

// The same from a document already loaded (from a file or from memory).
[[nodiscard]] std::optional<TAppInfo> ReadAppInfo(const XmlDocument& loaded);

// One stored text to its value: to the 8-bit code page, decoded with
// StartKey, and from GBK to UTF-8 (bytes that are not GBK become U+FFFD).
std::string DecodeStoredText(const std::string& utf8_text);

}  // namespace zentivo::config
