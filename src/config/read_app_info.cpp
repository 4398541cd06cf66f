#include "config/read_app_info.h"

#include "config/encrypt.h"
#include "config/file_name.h"
#include "platform/text.h"

namespace zentivo::config {

std::string DecodeStoredText(const std::string& utf8_text) {
  const std::string ansi = text::Utf8ToGbkLossy(utf8_text);
  return text::GbkToUtf8(DecodeValue(ansi, StartKey));
}

std::optional<TAppInfo> ReadAppInfo(XmlDocument& document, const std::string& path) {
  if (!document.LoadFile(path))
    return std::nullopt;
  return ReadAppInfo(document);
}

std::optional<TAppInfo> ReadAppInfo(const XmlDocument& loaded) {
  auto info = ReadAppInfoValues(loaded);
  if (info && FindFileNameViolation(*info))
    return std::nullopt;
  return info;
}

std::optional<TAppInfo> ReadAppInfoValues(const XmlDocument& loaded) {
  TAppInfo info;
  for (const auto& field : kAppInfoFields) {
    auto root = loaded.DocumentElement();
    if (!root)
      return std::nullopt;
    const auto stored = root->ChildByName(std::string(field.name))->Text();
    if (!stored)
      return std::nullopt;
    info.*field.member = DecodeStoredText(*stored);
  }
  return info;
}

}  // namespace zentivo::config
