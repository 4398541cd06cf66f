// The HTTP/1.1 client the download engine needs (the system calls it TIdHTTP):
// HEAD and GET over http or https (TLS with the system's certificate
// checks; a failed check is an error, never a fallback to an unchecked
// connection), a GET body handed over as it arrives, one "Range" header,
// redirects on or off, the reply's Content-Length, error replies raised with
// their status line, two transfer events on the requesting thread, and
// closing the connection. The platform layer provides the backend (libcurl
// natively, WinINet on Windows).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

namespace zentivo::download {

// An error reply (status 400 and up): the message is the reply's status line,
// for example "HTTP/1.1 404 Not Found".
class EIdHTTPProtocolException : public std::runtime_error {
 public:
  EIdHTTPProtocolException(int status, const std::string& status_line)
      : std::runtime_error(status_line), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// What went wrong in a request that got no error reply.
enum class HttpFailureKind {
  kConnect,      // no connection to the server
  kTimeout,      // no connection in time, or no byte for too long
  kBroken,       // the connection broke or the body ended early
  kAborted,      // the caller's reply handler or body sink said stop
  kCertificate,  // https: the server's certificate failed the system's checks
  kOther,
};

// The words the user reads for each kind.
inline std::string HttpFailureText(HttpFailureKind kind) {
  switch (kind) {
    case HttpFailureKind::kConnect:
      return "无法连接到服务器";
    case HttpFailureKind::kTimeout:
      return "连接服务器超时";
    case HttpFailureKind::kBroken:
      return "网络连接中断";
    case HttpFailureKind::kAborted:
      return "下载已中止";
    case HttpFailureKind::kCertificate:
      return "服务器证书无效，无法建立安全连接";
    case HttpFailureKind::kOther:
      break;
  }
  return "网络错误";
}

// Any other failure: no connection, a broken or stalled transfer, a body that
// ended early, a write the caller refused. The message is the kind's text;
// detail() keeps the backend's own description.
class EHttpFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  EHttpFailure(HttpFailureKind kind, std::string detail)
      : std::runtime_error(HttpFailureText(kind)), kind_(kind), detail_(std::move(detail)) {}
  HttpFailureKind kind() const { return kind_; }
  const std::string& detail() const { return detail_; }

 private:
  HttpFailureKind kind_ = HttpFailureKind::kOther;
  std::string detail_;
};

struct HttpReply {
  int status = 0;
  std::string status_line;       // "HTTP/1.1 206 Partial Content"
  int64_t content_length = -1;   // -1 when the reply has no Content-Length
  std::string content_range;     // the Content-Range header, empty when absent
  std::string etag;              // the ETag header, empty when absent
  std::string last_modified;     // the Last-Modified header, empty when absent
  std::string content_encoding;  // the Content-Encoding header, empty when absent
};

class TIdHTTP {
 public:
  // Called with each piece of a GET body as it arrives; returning false
  // aborts the transfer (the GET then raises EHttpFailure).
  using BodySink = std::function<bool(std::span<const char> piece)>;
  // OnWorkBegin(announced length or -1) when a body transfer begins;
  // OnWork(bytes of this body so far) as it progresses. Both run on the
  // thread that made the request.
  using WorkBeginHandler = std::function<void(int64_t announced)>;
  using WorkHandler = std::function<void(int64_t count)>;

  virtual ~TIdHTTP() = default;

  virtual void SetHandleRedirects(bool follow) = 0;  // off by default
  // The value of the "Range" header of later requests; empty sends none.
  virtual void SetRange(const std::string& value) = 0;
  // The value of the "If-Range" header of later requests; empty sends none.
  virtual void SetIfRange(const std::string& value) = 0;
  virtual void SetOnWorkBegin(WorkBeginHandler handler) = 0;
  virtual void SetOnWork(WorkHandler handler) = 0;
  // Connect timeout and the longest time a transfer may go without a byte.
  virtual void SetTimeouts(int connect_seconds, int stall_seconds) = 0;
  // Called on the requesting thread once a request's head has been handed to
  // the network (written to the connection), at most once per Head or Get,
  // however many redirects follow. A request that never got that far (no
  // connection) doesn't call it. Empty (the default) calls nothing.
  using RequestSentHandler = std::function<void()>;
  virtual void SetOnRequestSent(RequestSentHandler handler) = 0;
  // Called on the requesting thread once a request's connection stands (a
  // new one connected, or a kept one taken up), just before its head is
  // written: the request waits for it to return, so a caller can hold the
  // request back there without holding up the connect. At most once per Head
  // or Get, like the sent handler; a request that gets no connection doesn't
  // call it. Empty (the default) calls nothing.
  using BeforeSendHandler = std::function<void()>;
  virtual void SetOnBeforeSend(BeforeSendHandler handler) = 0;

  // Called once per successful GET with the final reply's head, before the
  // first piece of its body; returning false aborts (EHttpFailure kAborted).
  using ReplyHandler = std::function<bool(const HttpReply& reply)>;

  // Both raise EIdHTTPProtocolException for a status of 400 and up, and for a
  // redirect that is not followed; EHttpFailure for every other failure. The
  // connection is kept for the next request to the same host until
  // Disconnect.
  virtual HttpReply Head(const std::string& url) = 0;
  virtual HttpReply Get(const std::string& url, const ReplyHandler& on_reply,
                        const BodySink& sink) = 0;
  HttpReply Get(const std::string& url, const BodySink& sink) { return Get(url, nullptr, sink); }
  // The URL of the last request (after redirects, when they were followed).
  virtual std::string LastUrl() const = 0;
  virtual void Disconnect() = 0;
};

inline constexpr int kDefaultConnectTimeoutSeconds = 30;
inline constexpr int kDefaultStallTimeoutSeconds = 60;

struct HttpTimeouts {
  int connect_seconds = kDefaultConnectTimeoutSeconds;
  int stall_seconds = kDefaultStallTimeoutSeconds;
};

// A new client of the platform's backend, with default settings.
std::unique_ptr<TIdHTTP> CreateHttpClient();

}  // namespace zentivo::download
