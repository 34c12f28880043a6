// One accepted client connection of the web host, and the counts that bound how many
// connections one client address, and all of them together, may hold open at a time.
//
// A Connection is owned by one thread at a time: the connection front while it waits
// for a complete request, a worker while the request is answered, the event streams
// while it carries a page's state. Its destructor closes the socket and gives the
// address's slot back. AddressLimiter is thread-safe.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "client/web/request_framing.h"

namespace tb::web {

class AddressLimiter {
 public:
  // A counted connection of one address; move-only, given back on destruction.
  class Slot {
   public:
    Slot() = default;
    Slot(Slot&& other) noexcept;
    Slot& operator=(Slot&& other) noexcept;
    ~Slot();
    [[nodiscard]] bool Held() const { return limiter_ != nullptr; }

   private:
    friend class AddressLimiter;
    Slot(std::shared_ptr<AddressLimiter> limiter, std::string address);
    std::shared_ptr<AddressLimiter> limiter_;
    std::string address_;
  };

  // Counts are shared with the slots, which may outlive the front that made them.
  static std::shared_ptr<AddressLimiter> Make(int maxPerAddress, std::size_t maxTotal);
  AddressLimiter(int maxPerAddress, std::size_t maxTotal) : max_(maxPerAddress), maxTotal_(maxTotal) {}

  // A slot for `address`, or an empty one when the address or all addresses together
  // hold their maximum already.
  [[nodiscard]] Slot Acquire(const std::string& address);
  [[nodiscard]] int Count(const std::string& address) const;
  [[nodiscard]] std::size_t Total() const;

 private:
  void Release(const std::string& address);

  const int max_;
  const std::size_t maxTotal_;
  mutable std::mutex mu_;
  std::unordered_map<std::string, int> counts_;
  std::size_t total_ = 0;
  std::weak_ptr<AddressLimiter> self_;
};

struct Connection {
  Connection(int socket, std::string peer, int peerPort, AddressLimiter::Slot slot);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Drops the bytes of the request just answered from the input.
  void ConsumeRequest();

  const int fd;
  const std::string peerAddress;
  const int peerPort;
  std::string input;   // received, not yet used by a request
  RequestFrame frame;  // of the request at the start of `input`
  bool continueSent = false;
  // When the request's first byte and its last byte arrived.
  std::chrono::steady_clock::time_point started, complete;

 private:
  AddressLimiter::Slot slot_;
};

}  // namespace tb::web
