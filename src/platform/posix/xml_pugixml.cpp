#include <pugixml.hpp>

#include "config/xml_document.h"

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
    if (!first) return std::string();
    if (first.next_sibling()) return std::nullopt;
    if (first.type() != pugi::node_pcdata && first.type() != pugi::node_cdata) return std::nullopt;
    return std::string(first.value());
  }

 private:
  pugi::xml_node node_;
};

class PugiDocument final : public XmlDocument {
 public:
  bool LoadFile(const std::string& path) override {
    std::string native = path;
    for (char& c : native) {
      if (c == '\\') c = '/';
    }
    // Comments are kept as nodes so that an element holding one is refused,
    // as the Windows parser's DOM would show it.
    const auto result = doc_.load_file(native.c_str(), pugi::parse_default | pugi::parse_comments,
                                       pugi::encoding_utf8);
    loaded_ = static_cast<bool>(result) && doc_.document_element();
    return loaded_;
  }

  std::unique_ptr<XmlElement> DocumentElement() const override {
    if (!loaded_) return nullptr;
    return std::make_unique<PugiElement>(doc_.document_element());
  }

 private:
  pugi::xml_document doc_;
  bool loaded_ = false;
};

}  // namespace

std::unique_ptr<XmlDocument> CreateXmlDocument() { return std::make_unique<PugiDocument>(); }

}  // namespace zentivo::config
