// What a reply to a range request may do to the partial file. Nothing that
// is not verified as the asked part of the file, or as the whole file, ever
// touches it.
#pragma once

#include <cstdint>

#include "download/http_client.h"

namespace zentivo::download {

enum class ReplyUse {
  kAppend,   // a 206 of the asked bytes of this file: append the body
  kRestart,  // the whole file (a 200 of its length): start the partial file over
  kRefuse,   // anything else: leave the partial file as it is
};

// `asked_first` is the first byte the Range asked for, `file_length` the
// length the file's HEAD announced.
ReplyUse CheckRangeReply(const HttpReply& reply, int64_t asked_first, int64_t file_length);

}  // namespace zentivo::download
