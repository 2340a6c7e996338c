// The Host line a client sends to a stand-in server on loopback.
#pragma once

#include <string>

#include "stubs/stub_server.h"

inline std::string hostLine(const stubs::StubServer& s) {
  return "Host: 127.0.0.1:" + std::to_string(s.port()) + "\r\n";
}
