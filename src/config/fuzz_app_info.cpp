// libFuzzer target: a whole executable image as the installer reads its own
// file. The block found at its end is parsed from memory by the platform's
// XML reader (pugixml natively, held to what MSXML accepts) and read into a
// TAppInfo. What it reads must survive the packing side's round trip: the
// values encoded, written as a block and read again give the same record.
// What it reads never has an AppEName or AppName that is not a single file
// name: such a block is refused.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/config_block.h"
#include "config/encrypt.h"
#include "config/file_name.h"
#include "config/read_app_info.h"
#include "config/xml_document.h"
#include "pack/block_writer.h"
#include "platform/fuzz_check.h"
#include "platform/text.h"

using zentivo::fuzz::Require;
namespace config = zentivo::config;
namespace text = zentivo::text;

namespace {

std::optional<config::TAppInfo> ReadImage(config::XmlDocument& doc, std::string_view image) {
  const auto start = config::FindBlock(image);
  if (!start)
    return std::nullopt;
  // The block's text, without the 4-byte length field that ends it.
  const std::string_view xml = image.substr(*start, image.size() - *start - 4);
  if (!doc.LoadText(xml))
    return std::nullopt;
  return config::ReadAppInfo(doc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto doc = config::CreateXmlDocument();
  const auto info = ReadImage(*doc, std::string_view(reinterpret_cast<const char*>(data), size));
  if (!info)
    return 0;
  Require(!config::FindFileNameViolation(*info), "the names read are single file names");

  // Pack what was read the way zentivo-pack does. A value holding U+FFFD
  // (bytes that were not GBK) can't be written back and is left empty.
  config::TAppInfo expected;
  std::vector<std::pair<std::string, std::string>> encoded;
  for (const auto& field : config::kAppInfoFields) {
    const auto gbk = text::Utf8ToGbk((*info).*field.member);
    encoded.emplace_back(field.name, gbk ? config::EncodeValue(*gbk, config::StartKey) : "");
    if (gbk)
      expected.*field.member = (*info).*field.member;
  }
  const std::string repacked = "MZ" + config::MakeBlock(config::MakeConfigXml(encoded));
  const auto again = ReadImage(*doc, repacked);
  // A name left empty that way is no file name: the reader refuses the block,
  // as it refuses any whose names are not single file names.
  if (config::FindFileNameViolation(expected)) {
    Require(!again.has_value(), "a block with a name that is no file name is refused");
    return 0;
  }
  Require(again.has_value(), "a block written by the packing side is read");
  for (const auto& field : config::kAppInfoFields)
    Require((*again).*field.member == expected.*field.member, "a packed value reads back the same");
  return 0;
}
