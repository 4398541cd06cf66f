// The two servers of the download tests: nginx as the real update server and
// the programmable fault server. Under Wine the wrapper tests/servers/
// with-servers starts them and passes their ports in the environment;
// natively the first test that needs them starts them for its process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentivo::testing {

struct TestServers {
  int nginx_port = 0;
  std::string nginx_root;  // as this program's file functions take it
  std::string nginx_log;
  int fault_port = 0;
};

const TestServers& Servers();

// Byte `start` to `end` (exclusive) of the fault server's file with `seed`:
// pattern[(i + seed) % 65521], the pattern from a linear congruential
// generator.
std::string PatternBytes(int seed, int64_t start, int64_t end);

// One request as a server logged it.
struct LoggedRequest {
  int connection = 0;
  std::string method;  // "GET" or "HEAD"
  std::string path;    // as sent, below the scenario's or tree's root
  std::string range;   // the Range header, "-" when none
  int status = 0;
  int64_t bytes = 0;
  std::string if_range = "-";  // the If-Range header URL-quoted (fault server only)
};

// A scenario of the fault server: files with reply modes, under a root of
// its own.
class FaultScenario {
 public:
  FaultScenario();
  // See tests/servers/fault_server.py for the modes ("ok", "404",
  // "reset@1000", "throttle@200000", ...), comma-separated, one a request,
  // and the validators ("none", "etag", "lastmod", "both"). Adding a path
  // again replaces its file, as a maker replaces one on the server.
  void AddFile(const std::string& path, int64_t size, const std::string& head = "ok",
               const std::string& get = "ok", int seed = 0, const std::string& validator = "none");
  // "http://127.0.0.1:PORT/s/ID": a ServerRoot for the worker.
  std::string Root() const;
  std::vector<LoggedRequest> Log() const;

 private:
  std::string id_;
};

// A folder of nginx's root with files of its own and its own URL prefix.
class NginxTree {
 public:
  NginxTree();
  ~NginxTree();
  NginxTree(const NginxTree&) = delete;
  NginxTree& operator=(const NginxTree&) = delete;
  // `path` as a URL path below Root() ("//QUENXFlash/x/exe.ico" works: nginx
  // merges the slashes); the content is PatternBytes(seed, 0, size).
  void AddFile(const std::string& path, int64_t size, int seed = 0);
  // The same with the file's bytes given.
  void AddBytes(const std::string& path, const std::string& data);
  void Remove(const std::string& path);
  std::string Root() const;  // "http://127.0.0.1:PORT/ID"
  // The requests below Root(), from nginx's access log.
  std::vector<LoggedRequest> Log() const;

 private:
  std::string FileOf(const std::string& path) const;

  std::string id_;
  std::string dir_;
};

// Unique within the process and across processes of one run.
std::string UniqueId(const std::string& prefix);

// A URL that nothing listens on.
std::string DeadUrl();

}  // namespace zentivo::testing
