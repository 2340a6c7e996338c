// The thirteen host functions (hostapi/host_functions.h), exported by every executable that links
// irhostkit. Each converts its arguments (a null text reads as "") and hands the call to the
// process host (hostkit::processHost in host.h). A returned text stays valid until the next call of
// the same function on the same thread, so plug-in threads never overwrite each other's answers.
#pragma once

#include "hostapi/host_functions.h"
