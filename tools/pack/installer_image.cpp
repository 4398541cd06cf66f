#include "pack/installer_image.h"

#include "config/config_block.h"

namespace zentivo::pack {

std::string_view WithoutAppendedBlock(std::string_view file) {
  const auto start = config::FindBlock(file);
  if (start && file.substr(*start).rfind("<?xml", 0) == 0)
    return file.substr(0, *start);
  return file;
}

std::optional<InstallerImage> InstallerImage::Read(std::string_view file, std::string& error) {
  InstallerImage image;
  const auto dir = pe::FindSecurityDirectory(file);
  if (!dir || (dir->table_offset == 0 && dir->table_size == 0)) {
    image.unsigned_ = WithoutAppendedBlock(file);
    return image;
  }
  // A block appended after the table (packed after signing, before the block
  // went inside the signature) is dropped; the signature never covered it.
  std::string_view signed_file = file;
  if (dir->table_offset >= dir->headers_end && dir->table_offset <= file.size() &&
      dir->table_size <= file.size() - dir->table_offset) {
    const size_t table_end = size_t{dir->table_offset} + dir->table_size;
    if (table_end < file.size()) {
      if (WithoutAppendedBlock(file).size() != table_end) {
        error = "bytes follow the certificate table";
        return std::nullopt;
      }
      signed_file = file.substr(0, table_end);
    }
  }
  image.signed_ = authenticode::SignedInstaller::Read(signed_file, *dir, error);
  if (!image.signed_)
    return std::nullopt;
  return image;
}

std::string InstallerImage::Packed(std::string_view block) const {
  if (signed_)
    return signed_->WithBlock(block);
  return std::string(unsigned_) + std::string(block);
}

}  // namespace zentivo::pack
