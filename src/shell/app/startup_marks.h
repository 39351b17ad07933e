#pragma once

namespace tally {

// Notes the moment each phase of start-up ends, for the start-up benchmark:
// where $TALLYHOUR_STARTUP_MARKS names a file, each call appends the phase's
// name and the steady clock's nanoseconds to it; otherwise nothing.
void MarkStartup(const char* phase);

} // namespace tally
