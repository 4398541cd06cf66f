#include "platform/posix/xml_strict_pugixml.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace zentivo::config::strict_xml {
namespace {

bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Every byte belongs to a UTF-8 character that XML allows in a document.
bool HasOnlyXmlChars(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b >= 0x20 && b < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const size_t n = text::DecodeUtf8(s, i, cp);
    if (n == 0 || !IsXmlChar(cp))
      return false;
    i += n;
  }
  return true;
}

bool IsNameStartChar(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C || c == 0x200D ||
         (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
         (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
  return IsNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

// pugixml takes every byte from 0x80 up as a name character; XML does not.
bool IsXmlName(std::string_view name) {
  if (name.empty())
    return false;
  for (size_t i = 0; i < name.size();) {
    char32_t cp;
    const size_t n = text::DecodeUtf8(name, i, cp);
    if (n == 0 || !(i == 0 ? IsNameStartChar(cp) : IsNameChar(cp)))
      return false;
    i += n;
  }
  return true;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

int DigitValue(char c, int base) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Appends what the reference "&name;" stands for; false when it stands for
// nothing XML allows.
bool AppendReference(std::string_view name, std::string& out) {
  static constexpr std::array<std::pair<std::string_view, char>, 5> kPredefined = {
      {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}}};
  for (const auto& [entity, c] : kPredefined) {
    if (name == entity) {
      out.push_back(c);
      return true;
    }
  }
  if (name.size() < 2 || name[0] != '#')
    return false;
  const int base = name[1] == 'x' ? 16 : 10;  // "&#X41;" is not a reference
  const std::string_view digits = name.substr(base == 16 ? 2 : 1);
  if (digits.empty())
    return false;
  char32_t cp = 0;
  for (char d : digits) {
    const int v = DigitValue(d, base);
    if (v < 0)
      return false;
    cp = cp * base + static_cast<char32_t>(v);
    if (cp > 0x10FFFF)
      return false;
  }
  if (!IsXmlChar(cp))
    return false;
  text::AppendUtf8(cp, out);
  return true;
}

bool IsDeclarationAcceptable(pugi::xml_node declaration) {
  pugi::xml_attribute a = declaration.first_attribute();
  if (!a || std::string_view(a.name()) != "version" || std::string_view(a.value()) != "1.0")
    return false;
  a = a.next_attribute();
  // The packaging side writes UTF-8 and this reader decodes nothing else; a
  // document declaring another encoding is refused rather than misread.
  if (a && std::string_view(a.name()) == "encoding") {
    if (!EqualsIgnoringAsciiCase(a.value(), "utf-8"))
      return false;
    a = a.next_attribute();
  }
  if (a && std::string_view(a.name()) == "standalone") {
    const std::string_view v = a.value();
    if (v != "yes" && v != "no")
      return false;
    a = a.next_attribute();
  }
  return !a;
}

// MSXML reads names with namespaces: "p:local" needs a declaration of p
// ("xmlns:p") on the element or an ancestor, and two attributes must not name
// the same namespace and local name.
struct QualifiedName {
  std::string_view prefix;  // empty without a colon
  std::string_view local;
};

std::optional<QualifiedName> SplitQualifiedName(std::string_view name) {
  const size_t colon = name.find(':');
  if (colon == std::string_view::npos)
    return QualifiedName{{}, name};
  const QualifiedName q{name.substr(0, colon), name.substr(colon + 1)};
  // Both parts are names in their own right ("p:1a" is not).
  if (!IsXmlName(q.prefix) || !IsXmlName(q.local) || q.local.find(':') != std::string_view::npos)
    return std::nullopt;
  return q;
}

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

// The namespace `prefix` stands for at `element`; nullopt when undeclared.
std::optional<std::string_view> NamespaceOf(pugi::xml_node element, std::string_view prefix) {
  if (prefix == "xml")
    return kXmlNamespace;
  const std::string declaration = "xmlns:" + std::string(prefix);
  for (pugi::xml_node e = element; e.type() == pugi::node_element; e = e.parent()) {
    if (const pugi::xml_attribute a = e.attribute(declaration.c_str()))
      return std::string_view(a.value());
  }
  return std::nullopt;
}

bool IsElementAcceptable(pugi::xml_node element) {
  const auto element_name = SplitQualifiedName(element.name());
  if (!IsXmlName(element.name()) || !element_name ||
      (!element_name->prefix.empty() && !NamespaceOf(element, element_name->prefix)))
    return false;
  std::vector<std::pair<std::string_view, std::string_view>> names;  // namespace, local name
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    const std::string_view value = a.value();
    const auto name = SplitQualifiedName(a.name());
    if (!IsXmlName(a.name()) || !name || value.find('<') != std::string_view::npos ||
        !DecodeCharacterData(value))
      return false;
    if (name->prefix == "xmlns") {
      // A prefix can't be undeclared, and "xmlns" is not one to declare.
      if (value.empty() || name->local == "xmlns")
        return false;
      names.emplace_back(name->prefix, name->local);
    } else if (name->prefix.empty()) {
      names.emplace_back(std::string_view(), name->local);
    } else {
      const auto uri = NamespaceOf(element, name->prefix);
      if (!uri)
        return false;
      names.emplace_back(*uri, name->local);
    }
  }
  std::sort(names.begin(), names.end());
  return std::adjacent_find(names.begin(), names.end()) == names.end();
}

bool IsNodeAcceptable(pugi::xml_node node) {
  switch (node.type()) {
    case pugi::node_element:
      return IsElementAcceptable(node);
    case pugi::node_pcdata: {
      const std::string_view text = node.value();
      return text.find("]]>") == std::string_view::npos && DecodeCharacterData(text).has_value();
    }
    case pugi::node_cdata:
      return true;
    case pugi::node_comment: {
      const std::string_view text = node.value();
      return text.find("--") == std::string_view::npos && (text.empty() || text.back() != '-');
    }
    case pugi::node_pi: {
      // A target is a name without a colon, and "xml" in any case is reserved.
      const std::string_view target = node.name();
      return IsXmlName(target) && target.find(':') == std::string_view::npos &&
             !EqualsIgnoringAsciiCase(target, "xml");
    }
    default:
      // A declaration anywhere but at the very start, and any document type
      // declaration: a block has none, and the Windows reader refuses one
      // too (ProhibitDTD, and a check after the load).
      return false;
  }
}

}  // namespace

std::optional<std::string> DecodeCharacterData(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  size_t i = 0;
  while (i < raw.size()) {
    const size_t amp = raw.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(raw.substr(i));
      break;
    }
    out.append(raw.substr(i, amp - i));
    const size_t semicolon = raw.find(';', amp + 1);
    if (semicolon == std::string_view::npos ||
        !AppendReference(raw.substr(amp + 1, semicolon - amp - 1), out))
      return std::nullopt;
    i = semicolon + 1;
  }
  return out;
}

bool IsWellFormed(std::string_view raw, const pugi::xml_document& doc) {
  if (raw.starts_with(kUtf8Bom))
    raw.remove_prefix(kUtf8Bom.size());
  if (!HasOnlyXmlChars(raw))
    return false;

  // The top level: an optional declaration at the very start, then exactly
  // one element among comments and processing instructions. Text there is
  // refused (pugixml drops what is only white space).
  int elements = 0;
  for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_element) {
      ++elements;
    } else if (n.type() == pugi::node_declaration) {
      if (n != doc.first_child() || !raw.starts_with("<?xml") || !IsDeclarationAcceptable(n))
        return false;
    } else if (n.type() != pugi::node_comment && n.type() != pugi::node_pi) {
      return false;
    }
  }
  if (elements != 1)
    return false;

  // Every node below, walked without recursion (nesting depth is the input's).
  pugi::xml_node n = doc.first_child();
  while (n) {
    const bool checked_above = n.type() == pugi::node_declaration && n.parent() == doc;
    if (!checked_above && !IsNodeAcceptable(n))
      return false;
    if (n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n && !n.next_sibling()) n = n.parent();
    if (n)
      n = n.next_sibling();
  }
  return true;
}

}  // namespace zentivo::config::strict_xml
