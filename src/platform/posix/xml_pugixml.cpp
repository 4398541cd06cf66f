#include <pugixml.hpp>

#include "config/xml_document.h"
#include "platform/fs.h"
#include "platform/posix/xml_strict_pugixml.h"

namespace zentivo::config {
namespace {

class PugiElement final : public XmlElement {
 public:
  explicit PugiElement(pugi::xml_node node) : node_(node) {}

  std::unique_ptr<XmlElement> ChildByName(const std::string& name) const override {
    for (pugi::xml_node child = node_.first_child(); child; child = child.next_sibling()) {
      if (child.type() == pugi::node_element && name == child.name())
        return std::make_unique<PugiElement>(child);
    }
    return std::make_unique<PugiElement>(pugi::xml_node());  // empty, in memory only
  }

  std::optional<std::string> Text() const override {
    pugi::xml_node first = node_.first_child();
    if (!first)
      return std::string();
    if (first.next_sibling())
      return std::nullopt;
    // The document was checked whole when it was loaded, so its references
    // decode.
    if (first.type() == pugi::node_pcdata)
      return strict_xml::DecodeCharacterData(first.value());
    if (first.type() == pugi::node_cdata)
      return std::string(first.value());
    return std::nullopt;
  }

 private:
  pugi::xml_node node_;
};

class PugiDocument final : public XmlDocument {
 public:
  bool LoadFile(const std::string& path) override {
    const auto bytes = fs::ReadWholeFile(path);
    if (!bytes) {
      loaded_ = false;
      return false;
    }
    return LoadText(*bytes);
  }

  bool LoadText(std::string_view bytes) override {
    // Comments are kept as nodes so that an element holding one is refused,
    // as the Windows parser's DOM would show it.
    const auto result = doc_.load_buffer(bytes.data(), bytes.size(), strict_xml::kParseOptions,
                                         pugi::encoding_utf8);
    loaded_ = result && strict_xml::IsWellFormed(bytes, doc_);
    return loaded_;
  }

  std::unique_ptr<XmlElement> DocumentElement() const override {
    if (!loaded_)
      return nullptr;
    return std::make_unique<PugiElement>(doc_.document_element());
  }

 private:
  pugi::xml_document doc_;
  bool loaded_ = false;
};

}  // namespace

std::unique_ptr<XmlDocument> CreateXmlDocument() {
  return std::make_unique<PugiDocument>();
}

}  // namespace zentivo::config
