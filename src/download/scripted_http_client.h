// A base for the HTTP clients whose replies a program scripts instead of a
// server sending them: the fuzz target beside this file and the download
// tests. The settings the engine makes are kept (the Range value) or
// ignored; the script calls BeforeSend() where a real client's connection
// stands and Sent() where it writes its request, or Send() for both.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "download/http_client.h"

namespace zentivo::download {

class ScriptedHttpClient : public TIdHTTP {
 public:
  void SetHandleRedirects(bool) override {}
  void SetRange(const std::string& value) override { range_ = value; }
  void SetIfRange(const std::string&) override {}
  void SetOnWorkBegin(WorkBeginHandler) override {}
  void SetOnWork(WorkHandler) override {}
  void SetTimeouts(int, int) override {}
  void SetOnRequestSent(RequestSentHandler handler) override { on_sent_ = std::move(handler); }
  void SetOnBeforeSend(BeforeSendHandler handler) override { before_send_ = std::move(handler); }
  void Disconnect() override {}

 protected:
  // The Range header's value, "bytes=A-B".
  const std::string& Range() const { return range_; }
  // Its first and last byte, as asked.
  std::pair<int64_t, int64_t> AskedRange() const {
    const size_t eq = range_.find('='), dash = range_.find('-');
    return {std::stoll(range_.substr(eq + 1, dash - eq - 1)), std::stoll(range_.substr(dash + 1))};
  }
  // The connection stands; the request is about to go out.
  void BeforeSend() const {
    if (before_send_)
      before_send_();
  }
  // The request has gone out.
  void Sent() const {
    if (on_sent_)
      on_sent_();
  }
  // Both, as a request with nothing between its connect and its send.
  void Send() const {
    BeforeSend();
    Sent();
  }

 private:
  std::string range_;
  RequestSentHandler on_sent_;
  BeforeSendHandler before_send_;
};

}  // namespace zentivo::download
