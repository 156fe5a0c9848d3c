#pragma once

namespace ret {

// Lets the C library read the system's time zone once. While TZ is unset it looks at the zone
// file again at every conversion to local time, and the server's driver converts every date it
// reads through one (a fifth of the time of composing a large annex). With TZ unset this sets
// it to that same file, so the zone stays the one the system names. Call it at the start of a
// program, before any thread.
void readTimeZoneOnce();

} // namespace ret
