#include "test_servers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "download/http_client.h"
#include "platform/args.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "support/temp_dir.h"

namespace zentivo::testing {
namespace {

constexpr int kPatternPeriod = 65521;

bool OnWindows() {
  return fs::NativeSeparator() == '\\';
}

// A Linux path as this program opens it: Wine maps the Linux root to Z:.
std::string Local(const std::string& unix_path) {
  if (!OnWindows() || unix_path.empty() || unix_path[0] != '/')
    return unix_path;
  std::string p = "Z:" + unix_path;
  for (char& c : p) {
    if (c == '/')
      c = '\\';
  }
  return p;
}

int ReadPort(const std::string& file) {
  auto text = fs::ReadWholeFile(file);
  if (!text)
    throw std::runtime_error("no port in " + file);
  return std::stoi(*text);
}

// The state folder of tests/servers/test-servers: ports and paths.
TestServers FromStateDir(const std::string& dir) {
  TestServers s;
  s.nginx_port = ReadPort(dir + "/nginx/port");
  s.nginx_root = dir + "/www";
  s.nginx_log = dir + "/nginx/access.log";
  s.fault_port = ReadPort(dir + "/fault/port");
  return s;
}

std::string ServerScript() {
  return std::string(ZENTIVO_SOURCE_DIR) + "/tests/servers/test-servers";
}

// Servers this process started; stopped when the process ends (and by the
// servers themselves should the process die first).
class OwnServers {
 public:
  OwnServers() {
    if (platform::RunAndWait(ServerScript(), {"start", dir_.path(), "--with-parent"}) != 0)
      throw std::runtime_error("test servers did not start");
    servers_ = FromStateDir(dir_.path());
  }
  ~OwnServers() { platform::RunAndWait(ServerScript(), {"stop", dir_.path()}); }
  const TestServers& servers() const { return servers_; }

 private:
  TempDir dir_;
  TestServers servers_;
};

TestServers FromEnvironment() {
  TestServers s;
  s.nginx_port = std::stoi(platform::GetEnv("ZENTIVO_NGINX_PORT"));
  s.nginx_root = Local(platform::GetEnv("ZENTIVO_NGINX_ROOT"));
  s.nginx_log = Local(platform::GetEnv("ZENTIVO_NGINX_LOG"));
  s.fault_port = std::stoi(platform::GetEnv("ZENTIVO_FAULT_PORT"));
  return s;
}

std::string Fetch(const std::string& url) {
  auto client = download::CreateHttpClient();
  std::string body;
  client->Get(url, [&](std::span<const char> piece) {
    body.append(piece.data(), piece.size());
    return true;
  });
  client->Disconnect();
  return body;
}

std::string UrlEncode(const std::string& s) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string PatternBlock() {
  std::string block(kPatternPeriod, '\0');
  uint32_t x = 1;
  for (int i = 0; i < kPatternPeriod; ++i) {
    x = (x * 1103515245u + 12345u) & 0x7FFFFFFFu;
    block[i] = static_cast<char>((x >> 16) & 0xFF);
  }
  return block;
}

}  // namespace

const TestServers& Servers() {
  static const TestServers from_env = [] {
    if (!platform::GetEnv("ZENTIVO_FAULT_PORT").empty())
      return FromEnvironment();
    if (OnWindows())
      throw std::runtime_error("run this program through tests/servers/with-servers");
    static OwnServers own;
    return own.servers();
  }();
  return from_env;
}

std::string PatternBytes(int seed, int64_t start, int64_t end) {
  static const std::string block = PatternBlock();
  std::string out;
  out.reserve(static_cast<size_t>(end - start));
  for (int64_t pos = start; pos < end;) {
    const int64_t at = (pos + seed) % kPatternPeriod;
    const int64_t take = std::min(end - pos, kPatternPeriod - at);
    out.append(block, static_cast<size_t>(at), static_cast<size_t>(take));
    pos += take;
  }
  return out;
}

std::string UniqueId(const std::string& prefix) {
  static std::atomic<int> counter{0};
  static const unsigned salt = std::random_device{}();
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007;
  return prefix + std::to_string(stamp) + "x" + std::to_string(salt % 100000) + "x" +
         std::to_string(counter++);
}

std::string DeadUrl() {
  return "http://127.0.0.1:1/nothing";
}

FaultScenario::FaultScenario() : id_(UniqueId("sc")) {}

void FaultScenario::AddFile(const std::string& path, int64_t size, const std::string& head,
                            const std::string& get, int seed, const std::string& validator) {
  const std::string url = "http://127.0.0.1:" + std::to_string(Servers().fault_port) +
                          "/_control/file?id=" + id_ + "&path=" + UrlEncode(path) +
                          "&size=" + std::to_string(size) + "&seed=" + std::to_string(seed) +
                          "&head=" + UrlEncode(head) + "&get=" + UrlEncode(get) +
                          "&validator=" + validator;
  if (Fetch(url) != "ok\n")
    throw std::runtime_error("fault server refused " + url);
}

std::string FaultScenario::Root() const {
  return "http://127.0.0.1:" + std::to_string(Servers().fault_port) + "/s/" + id_;
}

std::vector<LoggedRequest> FaultScenario::Log() const {
  std::istringstream in(Fetch("http://127.0.0.1:" + std::to_string(Servers().fault_port) +
                              "/_control/log?id=" + id_));
  std::vector<LoggedRequest> out;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    LoggedRequest r;
    if (fields >> r.connection >> r.method >> r.path >> r.range >> r.status >> r.bytes >>
        r.if_range)
      out.push_back(r);
  }
  return out;
}

NginxTree::NginxTree() : id_(UniqueId("t")) {
  dir_ = Servers().nginx_root + fs::NativeSeparator() + id_;
  fs::MakeDirectory(dir_);
}

NginxTree::~NginxTree() {
  RemoveTree(dir_);
}

std::string NginxTree::FileOf(const std::string& path) const {
  std::string rel;
  for (char c : path) {
    if (c == '/') {
      if (!rel.empty() && rel.back() == fs::NativeSeparator())
        continue;
      rel += fs::NativeSeparator();
    } else {
      rel += c;
    }
  }
  return dir_ + rel;
}

void NginxTree::AddFile(const std::string& path, int64_t size, int seed) {
  AddBytes(path, PatternBytes(seed, 0, size));
}

void NginxTree::AddBytes(const std::string& path, const std::string& data) {
  const std::string file = FileOf(path);
  fs::MakeDirectories(file.substr(0, file.find_last_of(fs::NativeSeparator())));
  if (!fs::WriteWholeFile(file, data))
    throw std::runtime_error("cannot write " + file);
}

void NginxTree::Remove(const std::string& path) {
  fs::RemoveFile(FileOf(path));
}

std::string NginxTree::Root() const {
  return "http://127.0.0.1:" + std::to_string(Servers().nginx_port) + "/" + id_;
}

namespace {

// CONNECTION "METHOD URI PROTOCOL" "RANGE" STATUS BYTES, for paths below
// `prefix`.
std::vector<LoggedRequest> ParseNginxLog(const std::string& text, const std::string& prefix) {
  std::vector<LoggedRequest> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    LoggedRequest r;
    std::string protocol, range;
    std::istringstream l(line);
    l >> r.connection >> r.method >> r.path >> protocol >> range >> r.status >> r.bytes;
    if (!r.method.empty() && r.method[0] == '"')
      r.method.erase(0, 1);
    if (r.path.rfind(prefix + "/", 0) != 0)
      continue;
    r.path.erase(0, prefix.size());
    if (range.size() >= 2)
      range = range.substr(1, range.size() - 2);
    r.range = range;
    out.push_back(r);
  }
  return out;
}

}  // namespace

std::vector<LoggedRequest> NginxTree::Log() const {
  // nginx writes a request's line only after its reply has gone out, so a
  // client can hold the reply before the line is there. Its one worker
  // serves requests one after another: once a request sent after every
  // earlier reply came back is in the log, the earlier lines are too.
  const std::string mark = "/.log-mark-" + UniqueId("m");
  try {
    Fetch(Root() + mark);
  } catch (const std::exception&) {
    // A 404 is the expected reply; nginx logs it all the same.
  }
  const std::string prefix = "/" + id_;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    auto all = ParseNginxLog(fs::ReadWholeFile(Servers().nginx_log).value_or(""), prefix);
    const bool marked =
        std::any_of(all.begin(), all.end(), [&](const LoggedRequest& r) { return r.path == mark; });
    if (marked || std::chrono::steady_clock::now() > deadline) {
      std::erase_if(all, [](const LoggedRequest& r) { return r.path.starts_with("/.log-mark-"); });
      return all;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace zentivo::testing
