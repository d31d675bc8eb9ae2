#include "sim/port.h"

#include <algorithm>

namespace zhv::sim {

void SimPort::Step(std::uint32_t ms) {
  unit_.Step(ms);
  Collect();
  if (unit_.HungUp() && !unplugged_) Unplug();
}

void SimPort::Unplug() {
  unplugged_ = true;
  if (lost_) lost_();
}

void SimPort::Collect() {
  const std::vector<std::uint8_t> bytes = unit_.TakeOutput();
  input_.insert(input_.end(), bytes.begin(), bytes.end());
}

bool SimPort::Open(const std::string& name) {
  if (open_ || unplugged_ || busy_.count(name) || (!acceptOnly_.empty() && name != acceptOnly_)) return false;
  Collect();  // whatever came while nobody listened is gone
  input_.clear();
  open_ = true;
  openedName_ = name;
  return true;
}

bool SimPort::SetLineSettings(const LineSettings& settings) {
  settings_ = settings;
  return !failLineSettings_;
}

bool SimPort::Purge() {
  ++purges_;
  Collect();
  input_.clear();
  return true;
}

void SimPort::DropInput() {
  Collect();
  input_.clear();
}

std::size_t SimPort::QueuedBytes() {
  Collect();
  return open_ ? input_.size() : 0;
}

std::size_t SimPort::Read(std::uint8_t* buffer, std::size_t max) {
  Collect();
  if (!open_) return 0;
  const std::size_t n = std::min(max, input_.size());
  std::copy_n(input_.begin(), n, buffer);
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

bool SimPort::Write(const std::uint8_t* data, std::size_t count) {
  if (!open_ || unplugged_ || unit_.HungUp() || failWrites_) return false;
  written_.push_back({unit_.NowMs(), {data, data + count}});
  unit_.Feed(data, count);
  return true;
}

}  // namespace zhv::sim
