#include "support/recording_host.h"

#include <stdexcept>

#include "hostkit/host.h"

namespace support {

RecordingHost::RecordingHost() {
  setBackend(script_);
  addObserver(*this);
}

RecordingHost::~RecordingHost() { removeObserver(*this); }

std::vector<HostCall> RecordingHost::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<HostCall> RecordingHost::callsTo(std::string_view function) const {
  std::lock_guard lock(mutex_);
  std::vector<HostCall> out;
  for (const HostCall& c : calls_)
    if (c.function == function) out.push_back(c);
  return out;
}

void RecordingHost::clearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void RecordingHost::clear() {
  {
    std::lock_guard lock(mutex_);
    calls_.clear();
    armedFaults_.clear();
  }
  script_->clear();
  answerNullTexts(false);
}

void RecordingHost::failNextCall(const std::string& function, const std::string& message) {
  std::lock_guard lock(mutex_);
  armedFaults_[function] = message;
}

void RecordingHost::observe(const HostCall& call, const std::string&) {
  std::string fault;
  bool armed = false;
  {
    std::lock_guard lock(mutex_);
    if (auto it = armedFaults_.find(call.function); it != armedFaults_.end()) {
      fault = it->second;
      armed = true;
      armedFaults_.erase(it);
    }
    calls_.push_back(call);
  }
  if (armed) throw std::runtime_error(fault);
}

RecordingHost& host() {
  // Never destroyed: it outlives every static that may still call in. Made at start-up, so that it
  // records from the first call a plug-in makes.
  static RecordingHost* instance = [] {
    auto* h = new RecordingHost;
    hostkit::setProcessHost(h);
    return h;
  }();
  return *instance;
}

namespace {
[[maybe_unused]] const RecordingHost& installedAtStart = host();
}  // namespace

}  // namespace support
