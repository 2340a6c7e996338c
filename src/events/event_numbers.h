// The QQ and group texts of an event that its features use as numbers: they become section and key
// names of the records files and folder names, so a text such as "1=2", ";x" or a megabyte of
// digits must never reach them. Each must be a plain decimal number of at most 20 digits; the
// operator of a join may be empty (a member who joined by himself).
#pragma once

#include <optional>
#include <string>

#include "events/dispatch_event.h"

namespace events {

// The first malformed number among the fields the event's kind uses, as "field=text" (the text cut
// to a short prefix, for a log line); nullopt when every field is sound or the kind is not acted on.
std::optional<std::string> malformedEventNumber(const HostEvent& event);

}  // namespace events
