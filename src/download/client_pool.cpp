#include "download/client_pool.h"

#include "download/in_flight_window.h"

namespace zentivo::download {

ClientPool::ClientPool(TIdHTTP& first, ClientFactory more) : more_(std::move(more)) {
  idle_.push_back(&first);
}

TIdHTTP* ClientPool::Acquire() {
  std::lock_guard lock(mutex_);
  if (!idle_.empty()) {
    TIdHTTP* client = idle_.back();
    idle_.pop_back();
    return client;
  }
  if (!more_ || count_ >= static_cast<size_t>(kMaxInFlight))
    return nullptr;
  auto client = more_();
  if (!client)
    return nullptr;
  ++count_;
  made_.push_back(std::move(client));
  return made_.back().get();
}

void ClientPool::Release(TIdHTTP* client) {
  std::lock_guard lock(mutex_);
  idle_.push_back(client);
}

}  // namespace zentivo::download
