#include <iconv.h>

#include <cerrno>

#include "platform/text.h"

namespace zentivo::text {
namespace {

// iconv descriptors are not thread-safe; each thread keeps its own pair.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Convert(std::string_view in, std::string& out) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[16];
    auto* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) return false;
    if (src_left != 0) return false;
    out.append(buffer, static_cast<size_t>(dst - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& FromGbk() {
  thread_local Converter c("UTF-8", "CP936");
  return c;
}
Converter& ToGbk() {
  thread_local Converter c("CP936", "UTF-8");
  return c;
}

}  // namespace

bool GbkCharToUtf8(std::string_view gbk_char, std::string& out) {
  // Code page 936 puts the euro sign at 0x80; glibc's table leaves it out.
  if (gbk_char.size() == 1 && static_cast<unsigned char>(gbk_char[0]) == 0x80) {
    out.append("\xE2\x82\xAC");
    return true;
  }
  return FromGbk().Convert(gbk_char, out);
}

bool CodePointToGbk(char32_t cp, std::string& out) {
  if (cp == 0x20AC) {
    out.push_back(static_cast<char>(0x80));
    return true;
  }
  std::string utf8;
  AppendUtf8(cp, utf8);
  return ToGbk().Convert(utf8, out);
}

}  // namespace zentivo::text
