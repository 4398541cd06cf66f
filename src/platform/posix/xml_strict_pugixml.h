// pugixml parses leniently: it takes two root elements, text outside the
// root, a duplicate attribute, "&#0;", an unknown entity or a bare "&", a "<"
// in an attribute value, "]]>" in text, "--" in a comment, control characters,
// bytes that are not UTF-8, a document type declaration and undeclared
// namespace prefixes. The installer's parser on Windows (MSXML 6) refuses
// every one of them, and what the native reader accepts must not be
// more than that, or the packing tool would vouch for a block the installer
// refuses. So the document is parsed with its character references left in
// place and the tree is checked against the XML well-formedness rules that
// pugixml does not apply.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace zentivo::config::strict_xml {

// Everything kept as a node so that it can be checked; references are
// resolved by DecodeCharacterData, not by pugixml.
inline constexpr unsigned kParseOptions =
    pugi::parse_cdata | pugi::parse_eol | pugi::parse_comments | pugi::parse_pi |
    pugi::parse_declaration | pugi::parse_doctype | pugi::parse_fragment;

// The byte-order mark a UTF-8 document may start with.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// `raw` (the bytes as read) is well-formed and `doc` is its tree, parsed
// with kParseOptions.
bool IsWellFormed(std::string_view raw, const pugi::xml_document& doc);

// Character data or an attribute value as stored, with its references
// ("&amp;", "&#20013;", "&#x4E2D;") replaced; nullopt for a bare "&", an
// entity other than the five predefined ones, or a reference to a character
// XML does not allow ("&#0;").
std::optional<std::string> DecodeCharacterData(std::string_view raw);

}  // namespace zentivo::config::strict_xml
