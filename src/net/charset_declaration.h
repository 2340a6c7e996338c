// declaredCharset: the charset a page names in a <meta> tag near its start, found without a
// regular-expression engine. The result is group 1 of the first match of
//   <meta.+?charset=[^\w]?([-\w]+)
// over the page's first 1024 bytes taken as GBK characters, letters compared ignoring case, the
// dot matching any character but LF, \w the ASCII letters, digits and "_". "" when nothing matches.
// The spelling is the page's own (the caller lowers it when comparing).
#pragma once

#include <string>
#include <string_view>

namespace net {

std::string declaredCharset(std::string_view page);

}  // namespace net
