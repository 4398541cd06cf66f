#include "download/reply_check.h"

#include "platform/http_headers.h"

namespace zentivo::download {

ReplyUse CheckRangeReply(const HttpReply& reply, int64_t asked_first, int64_t file_length) {
  if (reply.status == 206) {
    const auto range = platform::ParseContentRange(reply.content_range);
    if (!range || range->first != asked_first || range->total != file_length ||
        range->last >= file_length)
      return ReplyUse::kRefuse;
    // A body announced longer or shorter than its range is not that range.
    if (reply.content_length >= 0 && reply.content_length != range->last - range->first + 1)
      return ReplyUse::kRefuse;
    return ReplyUse::kAppend;
  }
  // A server that ignores Range sends the whole file; a captive portal, a
  // hijacking proxy or a changed file sends something of another length.
  if (reply.status == 200 && reply.content_length == file_length)
    return ReplyUse::kRestart;
  return ReplyUse::kRefuse;
}

}  // namespace zentivo::download
