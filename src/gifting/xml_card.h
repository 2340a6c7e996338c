// buildXmlCard: pours the lines of a reply into the card template "xml.txt" of PluginDir.
//
// The template is read whole on every card (missing: an empty card). Each non-empty line of the
// reply becomes <summary color="…">line</summary><hr/> with one of ten colours drawn at random;
// the line's &, <, >, " and ' are escaped so no text can break the card or add markup. Every
// "[内容]" of the template receives the whole body. Never fails.
#pragma once

#include <string>

namespace gifting {

std::string buildXmlCard(const std::string& reply);

// The template the settings window writes to "xml.txt" when the file is missing (GBK, CR LF
// lines, tabs for nesting, no line break after the last element).
std::string defaultCardTemplate();

// Escapes &, <, >, " and ' for XML text.
std::string escapeXmlText(const std::string& line);

}  // namespace gifting
