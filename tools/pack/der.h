// Just enough DER to walk a PKCS#7 SignedData down to its signer's
// unauthenticated attributes and to write those levels back: elements with
// one-byte tags and definite lengths. Everything below the levels we change
// stays the bytes it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentivo::der {

inline constexpr uint8_t kInteger = 0x02;
inline constexpr uint8_t kOctetString = 0x04;
inline constexpr uint8_t kOid = 0x06;
inline constexpr uint8_t kSequence = 0x30;
inline constexpr uint8_t kSet = 0x31;
// [n] of a constructed, context-specific element: [0] is 0xA0, [1] is 0xA1.
constexpr uint8_t ContextTag(int n) {
  return static_cast<uint8_t>(0xA0 + n);
}

struct Element {
  uint8_t tag = 0;
  std::string_view content;
  std::string_view whole;  // header and content
};

// The element `in` starts with; nullopt when its header is malformed (a
// multi-byte tag, an indefinite or over-long length) or its content runs past
// the end of `in`.
std::optional<Element> ReadElement(std::string_view in);

// Whether `in` starts with an element header whose stated content runs past
// the end of `in`: a cut-off element rather than a foreign one.
bool RunsPastEnd(std::string_view in);

// The elements that make up `content`, which they must fill exactly.
std::optional<std::vector<Element>> ReadChildren(std::string_view content);

// The header of an element of `tag` with `size` bytes of content.
std::string Header(uint8_t tag, size_t size);
// An element of `tag` holding `content`.
std::string Make(uint8_t tag, std::string_view content);

}  // namespace zentivo::der
