#include "client/web/connection.h"

#include <unistd.h>

#include <utility>

namespace tb::web {

AddressLimiter::Slot::Slot(std::shared_ptr<AddressLimiter> limiter, std::string address)
    : limiter_(std::move(limiter)), address_(std::move(address)) {}

AddressLimiter::Slot::Slot(Slot&& other) noexcept
    : limiter_(std::move(other.limiter_)), address_(std::move(other.address_)) {
  other.limiter_.reset();
}

AddressLimiter::Slot& AddressLimiter::Slot::operator=(Slot&& other) noexcept {
  if (this != &other) {
    if (limiter_) limiter_->Release(address_);
    limiter_ = std::move(other.limiter_);
    address_ = std::move(other.address_);
    other.limiter_.reset();
  }
  return *this;
}

AddressLimiter::Slot::~Slot() {
  if (limiter_) limiter_->Release(address_);
}

std::shared_ptr<AddressLimiter> AddressLimiter::Make(int maxPerAddress, std::size_t maxTotal) {
  auto limiter = std::make_shared<AddressLimiter>(maxPerAddress, maxTotal);
  limiter->self_ = limiter;
  return limiter;
}

AddressLimiter::Slot AddressLimiter::Acquire(const std::string& address) {
  std::lock_guard lk(mu_);
  if (total_ >= maxTotal_) return {};
  int& n = counts_[address];
  if (n >= max_) {
    if (n == 0) counts_.erase(address);
    return {};
  }
  ++n;
  ++total_;
  return Slot(self_.lock(), address);
}

std::size_t AddressLimiter::Total() const {
  std::lock_guard lk(mu_);
  return total_;
}

int AddressLimiter::Count(const std::string& address) const {
  std::lock_guard lk(mu_);
  auto it = counts_.find(address);
  return it == counts_.end() ? 0 : it->second;
}

void AddressLimiter::Release(const std::string& address) {
  std::lock_guard lk(mu_);
  auto it = counts_.find(address);
  if (it == counts_.end()) return;
  --total_;
  if (--it->second <= 0) counts_.erase(it);
}

Connection::Connection(int socket, std::string peer, int port, AddressLimiter::Slot slot)
    : fd(socket), peerAddress(std::move(peer)), peerPort(port), slot_(std::move(slot)) {}

Connection::~Connection() { ::close(fd); }

void Connection::ConsumeRequest() {
  input.erase(0, std::min(input.size(), frame.Total()));
  frame = {};
  continueSent = false;
}

}  // namespace tb::web
