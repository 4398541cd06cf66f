// The XML reader the configuration needs, with exactly four operations.
// The platform provides it: MSXML through COM on Windows, pugixml natively.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zentivo::config {

class XmlElement {
 public:
  virtual ~XmlElement() = default;
  // The first direct child of exactly this name (case-sensitive); an empty
  // element of that name, in memory only, when there is none. Never null.
  virtual std::unique_ptr<XmlElement> ChildByName(const std::string& name) const = 0;
  // The element's character data as UTF-8; empty for an empty element;
  // nullopt when the content is anything but one piece of character data
  // (child elements, comments, several nodes).
  [[nodiscard]] virtual std::optional<std::string> Text() const = 0;
};

class XmlDocument {
 public:
  virtual ~XmlDocument() = default;
  // Parses the file; false when it is missing, unreadable or not well-formed.
  [[nodiscard]] virtual bool LoadFile(const std::string& path) = 0;
  // Parses the document's bytes as a file holding them would be parsed.
  [[nodiscard]] virtual bool LoadText(std::string_view bytes) = 0;
  // The root element; null before a successful load.
  virtual std::unique_ptr<XmlElement> DocumentElement() const = 0;
};

std::unique_ptr<XmlDocument> CreateXmlDocument();

}  // namespace zentivo::config
