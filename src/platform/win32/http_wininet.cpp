// TIdHTTP over WinINet, http and https (Schannel with the system's
// certificate store). Each client has its own session, so the clients of the
// worker's connections run their requests side by side. Nothing goes through
// the cache (every request is a reload and nothing is written to it),
// redirects are followed only when asked, and the connection handle is kept
// between the requests of a client so WinINet can reuse the kept-alive
// connection for the next range.
#include <windows.h>
#include <wininet.h>

#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "download/http_client.h"
#include "download/in_flight_window.h"
#include "platform/http_headers.h"
#include "platform/http_url.h"
#include "platform/win32/wide.h"
#include "download/network_check.h"
#include "platform/win32/proxy_auth_win32.h"
#include "platform/win32/wininet_api.h"

namespace zentivo::download {
namespace {

using win32::Narrow;
using win32::Widen;
using win32::WinInet;

constexpr DWORD kReadChunkBytes = 64 * 1024;
// Winsock's codes, which some WinINet builds (Wine's) pass through as they are.
constexpr DWORD kWsaConnectionAborted = 10053;
constexpr DWORD kWsaConnectionReset = 10054;
constexpr DWORD kWsaTimedOut = 10060;
constexpr DWORD kWsaConnectionRefused = 10061;
constexpr const wchar_t* kUserAgent = L"ZentivoSetup/1.0";
// A certificate WinINet's checks refused. Without INTERNET_FLAG_IGNORE_CERT_*
// and with INTERNET_FLAG_NO_UI every one of them fails the request.
constexpr DWORD kCertificateErrors[] = {
    ERROR_INTERNET_INVALID_CA,
    ERROR_INTERNET_SEC_CERT_CN_INVALID,
    ERROR_INTERNET_SEC_CERT_DATE_INVALID,
    ERROR_INTERNET_SEC_CERT_ERRORS,
    ERROR_INTERNET_SEC_CERT_NO_REV,
    ERROR_INTERNET_SEC_CERT_REV_FAILED,
    ERROR_INTERNET_SEC_CERT_REVOKED,
    ERROR_INTERNET_SEC_INVALID_CERT,
};

struct InternetHandleCloser {
  void operator()(HINTERNET h) const { WinInet().InternetCloseHandle(h); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

HttpFailureKind KindOf(DWORD error) {
  for (DWORD certificate_error : kCertificateErrors) {
    if (error == certificate_error)
      return HttpFailureKind::kCertificate;
  }
  switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case kWsaConnectionRefused:
      return HttpFailureKind::kConnect;
    case ERROR_INTERNET_TIMEOUT:
    case kWsaTimedOut:
      return HttpFailureKind::kTimeout;
    case ERROR_INTERNET_CONNECTION_RESET:
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case kWsaConnectionReset:
    case kWsaConnectionAborted:
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
      return HttpFailureKind::kBroken;
    default:
      return HttpFailureKind::kOther;
  }
}

[[noreturn]] void Fail(const char* what, DWORD error) {
  throw EHttpFailure(KindOf(error), std::string(what) + " failed, error " + std::to_string(error));
}

[[noreturn]] void FailWithLastError(const char* what) {
  Fail(what, GetLastError());
}

// Once the server has answered, a stall is a connection that broke in the
// middle of the reply, not a server that can't be reached.
[[noreturn]] void FailInBody(DWORD error) {
  const HttpFailureKind kind = KindOf(error);
  throw EHttpFailure(kind == HttpFailureKind::kTimeout ? HttpFailureKind::kBroken : kind,
                     "InternetReadFile failed, error " + std::to_string(error));
}

// A header of the reply as text; empty when it has none.
std::string QueryHeader(HINTERNET request, DWORD info) {
  DWORD bytes = 0;
  WinInet().HttpQueryInfoW(request, info, nullptr, &bytes, nullptr);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0)
    return {};
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (!WinInet().HttpQueryInfoW(request, info, text.data(), &bytes, nullptr))
    return {};
  text.resize(bytes / sizeof(wchar_t));
  return Narrow(text);
}

// The reply's status code; 0 when it can't be read.
DWORD StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD bytes = sizeof status;
  if (!WinInet().HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                &bytes, nullptr))
    return 0;
  return status;
}

HttpReply ReadReplyHead(HINTERNET request) {
  HttpReply reply;
  const DWORD status = StatusCode(request);
  if (status == 0)
    FailWithLastError("HttpQueryInfo");
  reply.status = static_cast<int>(status);
  std::string raw = QueryHeader(request, HTTP_QUERY_RAW_HEADERS_CRLF);
  reply.status_line = raw.substr(0, raw.find('\r'));
  reply.content_length =
      platform::ParseContentLength(QueryHeader(request, HTTP_QUERY_CONTENT_LENGTH));
  reply.content_range = QueryHeader(request, HTTP_QUERY_CONTENT_RANGE);
  reply.etag = QueryHeader(request, HTTP_QUERY_ETAG);
  reply.last_modified = QueryHeader(request, HTTP_QUERY_LAST_MODIFIED);
  reply.content_encoding = QueryHeader(request, HTTP_QUERY_CONTENT_ENCODING);
  return reply;
}

class WinInetHttpClient final : public TIdHTTP {
 public:
  WinInetHttpClient() : buffer_(kReadChunkBytes) {}

  void SetHandleRedirects(bool follow) override { follow_ = follow; }
  void SetRange(const std::string& value) override { range_ = value; }
  void SetIfRange(const std::string& value) override { if_range_ = value; }
  void SetOnWorkBegin(WorkBeginHandler handler) override { on_work_begin_ = std::move(handler); }
  void SetOnWork(WorkHandler handler) override { on_work_ = std::move(handler); }
  void SetOnRequestSent(RequestSentHandler handler) override {
    on_request_sent_ = std::move(handler);
  }
  void SetOnBeforeSend(BeforeSendHandler handler) override { on_before_send_ = std::move(handler); }
  void SetTimeouts(int connect_seconds, int stall_seconds) override {
    connect_ms_ = static_cast<DWORD>(connect_seconds) * 1000;
    stall_ms_ = static_cast<DWORD>(stall_seconds) * 1000;
  }

  HttpReply Head(const std::string& url) override {
    InternetHandle request = Send(url, L"HEAD");
    return CheckStatus(ReadReplyHead(request.get()));
  }

  using TIdHTTP::Get;
  HttpReply Get(const std::string& url, const ReplyHandler& on_reply,
                const BodySink& sink) override {
    InternetHandle request = Send(url, L"GET");
    const HttpReply reply = CheckStatus(ReadReplyHead(request.get()));
    if (on_reply && !on_reply(reply))
      throw EHttpFailure(HttpFailureKind::kAborted, "reply refused by the caller");
    if (on_work_begin_)
      on_work_begin_(reply.content_length);
    int64_t count = 0;
    for (;;) {
      DWORD got = 0;
      if (!WinInet().InternetReadFile(request.get(), buffer_.data(), kReadChunkBytes, &got))
        FailInBody(GetLastError());
      if (got == 0)
        break;
      if (sink && !sink(std::span<const char>(buffer_.data(), got)))
        throw EHttpFailure(HttpFailureKind::kAborted, "body refused by the caller");
      count += got;
      if (on_work_)
        on_work_(count);
    }
    // WinINet ends a body quietly when the server closes early.
    if (reply.content_length >= 0 && count < reply.content_length)
      throw EHttpFailure(HttpFailureKind::kBroken, "body ended after " + std::to_string(count) +
                                                       " of " +
                                                       std::to_string(reply.content_length));
    return reply;
  }

  std::string LastUrl() const override { return last_url_; }

  void Disconnect() override {
    connection_.reset();
    session_.reset();
  }

 private:
  HINTERNET Connection(const platform::HttpUrl& url) {
    if (!session_) {
      session_.reset(
          WinInet().InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
      if (!session_)
        FailWithLastError("InternetOpen");
      // The worker keeps several ranges in flight to our one host, each on a
      // client of its own, beside the probe's HEAD; WinINet's default of two
      // connections per server would queue them behind each other.
      DWORD conns = kMaxInFlight + 1;
      for (DWORD option :
           {INTERNET_OPTION_MAX_CONNS_PER_SERVER, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER}) {
        // Older WinINet takes the limit only process-wide; this process
        // talks to our update host alone.
        if (!WinInet().InternetSetOptionW(session_.get(), option, &conns, sizeof conns))
          WinInet().InternetSetOptionW(nullptr, option, &conns, sizeof conns);
      }
    }
    if (connection_ && (url.host != host_ || url.port != port_ || url.secure != secure_))
      connection_.reset();
    if (!connection_) {
      connection_.reset(WinInet().InternetConnectW(session_.get(), Widen(url.host).c_str(),
                                                   static_cast<INTERNET_PORT>(url.port), nullptr,
                                                   nullptr, INTERNET_SERVICE_HTTP, 0, 0));
      if (!connection_)
        FailWithLastError("InternetConnect");
      host_ = url.host;
      port_ = url.port;
      secure_ = url.secure;
    }
    return connection_.get();
  }

  InternetHandle Send(const std::string& url, const wchar_t* verb) {
    const auto parsed = platform::ParseHttpUrl(url);
    if (!parsed)
      throw EHttpFailure(HttpFailureKind::kOther, "not an http URL: " + url);
    DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                  INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
    // TLS with the system's certificate checks; no INTERNET_FLAG_IGNORE_CERT_*.
    if (parsed->secure)
      flags |= INTERNET_FLAG_SECURE;
    if (!follow_)
      flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
    // WinINet calls no status callback for a handle whose context is 0: the
    // request's context is this client, which OnStatus reports to.
    InternetHandle request(WinInet().HttpOpenRequestW(
        Connection(*parsed), verb, Widen(parsed->path).c_str(), L"HTTP/1.1", nullptr, nullptr,
        flags, reinterpret_cast<DWORD_PTR>(this)));
    if (!request)
      FailWithLastError("HttpOpenRequest");
    // Only a request somebody listens to gets the callback; the others run
    // without one, as before.
    before_send_called_ = false;
    sent_reported_ = false;
    callback_error_ = nullptr;
    if (on_request_sent_ || on_before_send_)
      WinInet().InternetSetStatusCallbackW(request.get(), &OnStatus);
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT}) {
      WinInet().InternetSetOptionW(request.get(), option, &connect_ms_, sizeof connect_ms_);
    }
    WinInet().InternetSetOptionW(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &stall_ms_,
                                 sizeof stall_ms_);
    std::wstring headers;
    if (!range_.empty())
      headers = L"Range: " + Widen(range_) + L"\r\n";
    if (!if_range_.empty())
      headers += L"If-Range: " + Widen(if_range_) + L"\r\n";
    win32::ProxyAuth::Attempt attempt;
    win32::ProxyAuth::Instance().Apply(request.get(), attempt);
    BOOL sent = FALSE;
    for (;;) {
      sent = WinInet().HttpSendRequestW(request.get(), headers.empty() ? nullptr : headers.c_str(),
                                        static_cast<DWORD>(headers.size()), nullptr, 0);
      // A proxy that wants a password: answered, the request goes again on
      // the same handle; refused for good, the 407 is the reply.
      if (!sent || StatusCode(request.get()) != kProxyAuthenticationRequired)
        break;
      DrainBody(request.get());
      if (!win32::ProxyAuth::Instance().Answer(request.get(), attempt))
        break;
    }
    const DWORD error = sent ? 0 : GetLastError();
    last_url_ = EffectiveUrl(request.get(), url);
    if (callback_error_)
      std::rethrow_exception(std::exchange(callback_error_, nullptr));
    if (!sent)
      Fail("HttpSendRequest", error);
    return request;
  }

  // The refusal's page, read to its end so that the request can go again.
  static void DrainBody(HINTERNET request) {
    char sink[4096];
    DWORD read = 0;
    while (WinInet().InternetReadFile(request, sink, sizeof sink, &read) && read > 0) {
    }
  }

  // A synchronous session calls back on the thread inside the call. Of what
  // it reports, only SENDING_REQUEST (the connection stands, the head is about
  // to be written) and REQUEST_SENT matter here. Each redirect's request is
  // sent again: only the first counts.
  static void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    if (context == 0)
      return;
    auto& self = *reinterpret_cast<WinInetHttpClient*>(context);
    if (status == INTERNET_STATUS_SENDING_REQUEST)
      self.Report(self.before_send_called_, self.on_before_send_);
    else if (status == INTERNET_STATUS_REQUEST_SENT)
      self.Report(self.sent_reported_, self.on_request_sent_);
  }

  // Calls `handler` the first time; nothing may unwind through WinINet, so an
  // error goes out after the send. The request can't be stopped from here.
  void Report(bool& reported, const std::function<void()>& handler) {
    if (reported || !handler || callback_error_)
      return;
    reported = true;
    try {
      handler();
    } catch (...) {
      callback_error_ = std::current_exception();
    }
  }

  static std::string EffectiveUrl(HINTERNET request, const std::string& fallback) {
    const std::wstring text = win32::QueryOptionText(request, INTERNET_OPTION_URL);
    return text.empty() ? fallback : Narrow(text);
  }

  // A redirect that reaches us while redirects are followed (one without a
  // Location) is the caller's to judge, as libcurl hands it over too.
  HttpReply CheckStatus(HttpReply reply) const {
    const bool unfollowed_redirect =
        !follow_ && reply.status >= 300 && reply.status < 400 && reply.status != 304;
    if (reply.status >= 400 || unfollowed_redirect || reply.status == 0)
      throw EIdHTTPProtocolException(reply.status, reply.status_line);
    return reply;
  }

  InternetHandle session_;
  InternetHandle connection_;
  std::string host_;
  int port_ = 0;
  bool secure_ = false;
  bool follow_ = false;
  std::string range_;
  std::string if_range_;
  WorkBeginHandler on_work_begin_;
  WorkHandler on_work_;
  RequestSentHandler on_request_sent_;
  BeforeSendHandler on_before_send_;
  bool before_send_called_ = false;    // of the request under way
  bool sent_reported_ = false;         // of the request under way
  std::exception_ptr callback_error_;  // raised by a handler inside WinINet
  DWORD connect_ms_ = kDefaultConnectTimeoutSeconds * 1000;
  DWORD stall_ms_ = kDefaultStallTimeoutSeconds * 1000;
  std::string last_url_;
  std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<TIdHTTP> CreateHttpClient() {
  return std::make_unique<WinInetHttpClient>();
}

}  // namespace zentivo::download
