// The transfer clients of a run: the worker's own one first, then up to
// kMaxInFlight - 1 more made as the link calls for them. Each keeps its
// connection from one range to the next, whichever file that range is of,
// and serves one request at a time.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "download/http_client.h"

namespace zentivo::download {

// Makes the clients of the extra connections that keep several ranges in
// flight, set up like the transfer client.
using ClientFactory = std::function<std::unique_ptr<TIdHTTP>()>;

class ClientPool {
 public:
  // Without `more` there is only `first`: one range in flight at a time.
  ClientPool(TIdHTTP& first, ClientFactory more);

  // A client no one uses now, the most recently used first (its connection
  // is the likeliest to be open); nullptr when all that may be made are
  // busy.
  TIdHTTP* Acquire();
  void Release(TIdHTTP* client);

 private:
  std::mutex mutex_;
  ClientFactory more_;
  std::vector<std::unique_ptr<TIdHTTP>> made_;
  std::vector<TIdHTTP*> idle_;
  size_t count_ = 1;  // clients so far, the first included
};

}  // namespace zentivo::download
