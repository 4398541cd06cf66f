#include "pack/der.h"

namespace zentivo::der {
namespace {

struct ParsedHeader {
  uint8_t tag = 0;
  size_t header_size = 0;
  uint64_t content_size = 0;
};

// Four length bytes describe far more than any certificate table holds.
constexpr size_t kMaxLengthBytes = 4;

std::optional<ParsedHeader> ReadHeader(std::string_view in) {
  if (in.size() < 2)
    return std::nullopt;
  const auto* u = reinterpret_cast<const unsigned char*>(in.data());
  ParsedHeader h;
  h.tag = u[0];
  if ((h.tag & 0x1F) == 0x1F)
    return std::nullopt;
  if (u[1] < 0x80) {
    h.header_size = 2;
    h.content_size = u[1];
    return h;
  }
  const size_t count = u[1] & 0x7F;
  if (count == 0 || count > kMaxLengthBytes || in.size() < 2 + count)
    return std::nullopt;
  for (size_t i = 0; i < count; ++i) h.content_size = (h.content_size << 8) | u[2 + i];
  h.header_size = 2 + count;
  return h;
}

}  // namespace

std::optional<Element> ReadElement(std::string_view in) {
  const auto h = ReadHeader(in);
  if (!h || h->content_size > in.size() - h->header_size)
    return std::nullopt;
  const size_t total = h->header_size + static_cast<size_t>(h->content_size);
  return Element{h->tag, in.substr(h->header_size, static_cast<size_t>(h->content_size)),
                 in.substr(0, total)};
}

bool RunsPastEnd(std::string_view in) {
  const auto h = ReadHeader(in);
  return h && h->content_size > in.size() - h->header_size;
}

std::optional<std::vector<Element>> ReadChildren(std::string_view content) {
  std::vector<Element> children;
  while (!content.empty()) {
    const auto e = ReadElement(content);
    if (!e)
      return std::nullopt;
    children.push_back(*e);
    content.remove_prefix(e->whole.size());
  }
  return children;
}

std::string Header(uint8_t tag, size_t size) {
  std::string h(1, static_cast<char>(tag));
  if (size < 0x80) {
    h.push_back(static_cast<char>(size));
    return h;
  }
  std::string bytes;
  for (size_t n = size; n != 0; n >>= 8) bytes.insert(bytes.begin(), static_cast<char>(n & 0xFF));
  h.push_back(static_cast<char>(0x80 | bytes.size()));
  return h + bytes;
}

std::string Make(uint8_t tag, std::string_view content) {
  return Header(tag, content.size()) + std::string(content);
}

}  // namespace zentivo::der
