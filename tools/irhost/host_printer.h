// HostPrinter: the observer through which irhost shows every host function a plug-in calls, as
// one readable line each ("  send group 20002 → …", "  query level of 10001 → 25").
#pragma once

#include <iosfwd>
#include <mutex>

#include "hostkit/host.h"

namespace irhost {

class HostPrinter : public hostkit::Observer {
 public:
  explicit HostPrinter(std::ostream& out) : out_(out) {}
  void observe(const hostkit::HostCall& call, const std::string& answer) override;

 private:
  std::mutex mutex_;  // one line at a time
  std::ostream& out_;
};

}  // namespace irhost
