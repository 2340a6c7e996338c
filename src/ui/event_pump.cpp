#include "ui/event_pump.h"

#include <QCoreApplication>

#include "net/http_fetch.h"

namespace ui {

namespace {
thread_local int depth = 0;
}

EventPump::EventPump() {
  if (depth++ == 0) net::setPumpHook([] { QCoreApplication::processEvents(); });
}

EventPump::~EventPump() {
  if (--depth == 0) net::setPumpHook({});
}

}  // namespace ui
