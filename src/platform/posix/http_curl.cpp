// TIdHTTP over libcurl, http and https (libcurl's TLS with the system's CA
// store). One easy handle per client, so the requests of a client travel
// over one kept-alive connection; Disconnect drops the handle and with it the
// connection. The worker keeps several ranges in flight with several
// clients, each driven by a thread of its own (easy handles are independent,
// and curl_global_init runs once).
#include <curl/curl.h>
#include <strings.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>

#include "download/http_client.h"
#include "platform/http_headers.h"

namespace zentivo::download {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long kMaxRedirects = 15;
constexpr long kReceiveBufferBytes = 256 * 1024;
constexpr const char* kUserAgent = "ZentivoSetup/1.0";
// curl's own name for a file of trusted certificate authorities in place of
// the system's; tests point it at their own CA. Peer and host checks stay on
// either way.
constexpr const char* kCaBundleVariable = "CURL_CA_BUNDLE";

struct CurlDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool HeaderIs(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() || line[name.size()] != ':')
    return false;
  return strncasecmp(line.data(), name.data(), name.size()) == 0;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' '))
    s.remove_suffix(1);
  return s;
}

bool IsUnfollowedRedirect(int status) {
  return status >= 300 && status < 400 && status != 304;
}

class CurlHttpClient final : public TIdHTTP {
 public:
  CurlHttpClient() { GlobalInit(); }

  void SetHandleRedirects(bool follow) override { follow_ = follow; }
  void SetRange(const std::string& value) override { range_ = value; }
  void SetIfRange(const std::string& value) override { if_range_ = value; }
  void SetOnWorkBegin(WorkBeginHandler handler) override { on_work_begin_ = std::move(handler); }
  void SetOnWork(WorkHandler handler) override { on_work_ = std::move(handler); }
  void SetOnBeforeSend(BeforeSendHandler handler) override { on_before_send_ = std::move(handler); }
  void SetOnRequestSent(RequestSentHandler handler) override {
    on_request_sent_ = std::move(handler);
  }
  void SetTimeouts(int connect_seconds, int stall_seconds) override {
    connect_seconds_ = connect_seconds;
    stall_seconds_ = stall_seconds;
  }

  HttpReply Head(const std::string& url) override { return Perform(url, true, nullptr, nullptr); }
  using TIdHTTP::Get;
  HttpReply Get(const std::string& url, const ReplyHandler& on_reply,
                const BodySink& sink) override {
    return Perform(url, false, &on_reply, &sink);
  }
  std::string LastUrl() const override { return last_url_; }
  void Disconnect() override { handle_.reset(); }

 private:
  // State of the request under way, reached from curl's callbacks.
  struct Request {
    CurlHttpClient* self = nullptr;
    bool head = false;
    const ReplyHandler* on_reply = nullptr;
    const BodySink* sink = nullptr;
    HttpReply reply;
    bool body_started = false;
    bool refused = false;  // the reply handler or the sink said stop
    bool stalled = false;
    bool before_send_called = false;
    bool sent = false;  // the request's head has gone out (reported once)
    int64_t count = 0;
    curl_off_t last_now = -1;
    Clock::time_point last_activity = Clock::now();
    std::exception_ptr error;  // thrown by a handler; rethrown after curl returns
  };

  CURL* Handle() {
    if (!handle_)
      handle_.reset(curl_easy_init());
    if (!handle_)
      throw EHttpFailure(HttpFailureKind::kOther, "curl_easy_init failed");
    return handle_.get();
  }

  HttpReply Perform(const std::string& url, bool head, const ReplyHandler* on_reply,
                    const BodySink* sink) {
    CURL* h = Handle();
    Request req;
    req.self = this;
    req.head = head;
    req.on_reply = on_reply;
    req.sink = sink;
    std::unique_ptr<curl_slist, SlistDeleter> headers;
    const auto add_header = [&headers](const std::string& line) {
      if (curl_slist* more = curl_slist_append(headers.get(), line.c_str())) {
        headers.release();
        headers.reset(more);
      }
    };
    if (!range_.empty())
      add_header("Range: " + range_);
    if (!if_range_.empty())
      add_header("If-Range: " + if_range_);
    char error_text[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);  // "//QUENX..." goes out as it is
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connect_seconds_));
    // The proxy comes from http_proxy, https_proxy and no_proxy, its
    // credentials from the proxy's URL; any scheme the proxy offers.
    curl_easy_setopt(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, follow_ ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_text);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (const char* ca = std::getenv(kCaBundleVariable); ca && *ca)
      curl_easy_setopt(h, CURLOPT_CAINFO, ca);
    if (head) {
      curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    } else {
      curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &req);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &req);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &req);
    // libcurl tells of the head it sent only through its verbose trace; the
    // trace goes to OnTrace, which prints nothing. Off when nobody listens.
    const bool trace = static_cast<bool>(on_request_sent_);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, trace ? &OnTrace : nullptr);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, trace ? &req : nullptr);
    curl_easy_setopt(h, CURLOPT_VERBOSE, trace ? 1L : 0L);

    const bool hold = static_cast<bool>(on_before_send_);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, hold ? &OnBeforeSend : nullptr);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, hold ? &req : nullptr);

    const CURLcode rc = curl_easy_perform(h);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, nullptr);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, nullptr);
    // The header list dies with this call; don't leave curl pointing at it.
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    // Nor at the request, which the trace of the connection's closing would
    // reach.
    curl_easy_setopt(h, CURLOPT_VERBOSE, 0L);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, nullptr);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, nullptr);
    if (char* effective = nullptr;
        curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
      last_url_ = effective;
    } else {
      last_url_ = url;
    }
    if (req.error)
      std::rethrow_exception(req.error);
    if (rc != CURLE_OK) {
      // A refusal of our own on an error reply is only the discarded body.
      if (!(rc == CURLE_WRITE_ERROR && IsError(req.reply.status)))
        Fail(rc, req, error_text);
    }
    if (IsError(req.reply.status))
      throw EIdHTTPProtocolException(req.reply.status, req.reply.status_line);
    if (!head) {
      StartBody(req);
      if (req.error)
        std::rethrow_exception(req.error);
      if (req.refused)
        throw EHttpFailure(HttpFailureKind::kAborted, "refused by the caller");
    }
    return req.reply;
  }

  bool IsError(int status) const {
    return status >= 400 || (IsUnfollowedRedirect(status) && !follow_) || status == 0;
  }

  [[noreturn]] static void Fail(CURLcode rc, const Request& req, const char* error_text) {
    std::string detail = curl_easy_strerror(rc);
    if (error_text[0])
      detail += std::string(": ") + error_text;
    HttpFailureKind kind = HttpFailureKind::kOther;
    switch (rc) {
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
      case CURLE_COULDNT_CONNECT:
        kind = HttpFailureKind::kConnect;
        break;
      case CURLE_OPERATION_TIMEDOUT:
        kind = HttpFailureKind::kTimeout;
        break;
      case CURLE_ABORTED_BY_CALLBACK:
        // Once the server has answered, a stall is a connection that broke
        // in the middle of the reply, not a server that can't be reached.
        if (!req.stalled)
          kind = HttpFailureKind::kAborted;
        else
          kind = req.reply.status != 0 ? HttpFailureKind::kBroken : HttpFailureKind::kTimeout;
        break;
      case CURLE_WRITE_ERROR:
        kind = HttpFailureKind::kAborted;
        break;
      case CURLE_PEER_FAILED_VERIFICATION:
      case CURLE_SSL_CACERT_BADFILE:
        kind = HttpFailureKind::kCertificate;
        break;
      case CURLE_PARTIAL_FILE:
      case CURLE_RECV_ERROR:
      case CURLE_SEND_ERROR:
      case CURLE_GOT_NOTHING:
        kind = HttpFailureKind::kBroken;
        break;
      default:
        break;
    }
    throw EHttpFailure(kind, detail);
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto& req = *static_cast<Request*>(user);
    const size_t n = size * count;
    const std::string_view line = Trim(std::string_view(data, n));
    if (line.starts_with("HTTP/")) {
      // Each reply of a redirect chain starts afresh.
      req.reply = HttpReply{};
      req.reply.status_line = std::string(line);
      const size_t sp = line.find(' ');
      if (sp != std::string_view::npos)
        req.reply.status = std::atoi(std::string(line.substr(sp + 1, 3)).c_str());
    } else if (HeaderIs(line, "Content-Length")) {
      req.reply.content_length = platform::ParseContentLength(Trim(line.substr(15)));
    } else if (HeaderIs(line, "Content-Range")) {
      req.reply.content_range = std::string(Trim(line.substr(14)));
    } else if (HeaderIs(line, "ETag")) {
      req.reply.etag = std::string(Trim(line.substr(5)));
    } else if (HeaderIs(line, "Last-Modified")) {
      req.reply.last_modified = std::string(Trim(line.substr(14)));
    } else if (HeaderIs(line, "Content-Encoding")) {
      req.reply.content_encoding = std::string(Trim(line.substr(17)));
    }
    req.last_activity = Clock::now();
    return n;
  }

  // The reply handler and OnWorkBegin, once, before the first body byte (or
  // after an empty body).
  static void StartBody(Request& req) {
    if (req.body_started || req.error || req.refused)
      return;
    req.body_started = true;
    try {
      if (req.on_reply && *req.on_reply && !(*req.on_reply)(req.reply)) {
        req.refused = true;
        return;
      }
      if (req.self->on_work_begin_)
        req.self->on_work_begin_(req.reply.content_length);
    } catch (...) {
      req.error = std::current_exception();
    }
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& req = *static_cast<Request*>(user);
    const size_t n = size * count;
    if (req.self->IsError(req.reply.status))
      return 0;  // an error reply's body: not wanted
    if (IsUnfollowedRedirect(req.reply.status))
      return n;  // a redirect being followed
    StartBody(req);
    if (req.error || req.refused)
      return 0;
    try {
      if (req.sink && *req.sink && !(*req.sink)(std::span<const char>(data, n))) {
        req.refused = true;
        return 0;
      }
      req.count += static_cast<int64_t>(n);
      if (req.self->on_work_)
        req.self->on_work_(req.count);
    } catch (...) {
      req.error = std::current_exception();
      return 0;
    }
    // Time spent in the sink (a paused worker waits there) is not a stall.
    req.last_activity = Clock::now();
    return n;
  }

  // Called for every piece of the verbose trace; reports the first head that
  // went out (libcurl traces it after writing it to the connection).
  static int OnTrace(CURL*, curl_infotype type, char*, size_t, void* user) {
    auto& req = *static_cast<Request*>(user);
    if (type != CURLINFO_HEADER_OUT || req.sent || req.error)
      return 0;
    req.sent = true;
    try {
      req.self->on_request_sent_();
    } catch (...) {
      req.error = std::current_exception();
    }
    return 0;
  }

  // Called by libcurl with the connection standing, before each request on
  // it (a redirect's too); only the first is reported.
  static int OnBeforeSend(void* user, char*, char*, int, int) {
    auto& req = *static_cast<Request*>(user);
    if (req.before_send_called)
      return CURL_PREREQFUNC_OK;
    req.before_send_called = true;
    try {
      req.self->on_before_send_();
    } catch (...) {
      req.error = std::current_exception();
      return CURL_PREREQFUNC_ABORT;
    }
    // Time held back here is not a stall of the transfer.
    req.last_activity = Clock::now();
    return CURL_PREREQFUNC_OK;
  }

  static int OnProgress(void* user, curl_off_t, curl_off_t now, curl_off_t, curl_off_t) {
    auto& req = *static_cast<Request*>(user);
    const auto t = Clock::now();
    if (now != req.last_now) {
      req.last_now = now;
      req.last_activity = t;
      return 0;
    }
    if (t - req.last_activity > std::chrono::seconds(req.self->stall_seconds_)) {
      req.stalled = true;
      return 1;
    }
    return 0;
  }

  std::unique_ptr<CURL, CurlDeleter> handle_;
  bool follow_ = false;
  std::string range_;
  std::string if_range_;
  WorkBeginHandler on_work_begin_;
  WorkHandler on_work_;
  RequestSentHandler on_request_sent_;
  BeforeSendHandler on_before_send_;
  int connect_seconds_ = kDefaultConnectTimeoutSeconds;
  int stall_seconds_ = kDefaultStallTimeoutSeconds;
  std::string last_url_;
};

}  // namespace

std::unique_ptr<TIdHTTP> CreateHttpClient() {
  return std::make_unique<CurlHttpClient>();
}

}  // namespace zentivo::download
