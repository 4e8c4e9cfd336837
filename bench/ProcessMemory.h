#pragma once

namespace ortolan::bench {

// Resident memory of this process, from /proc/self/status, in bytes; -1 when unavailable.
long long residentBytes();     // VmRSS
long long peakResidentBytes(); // VmHWM

// Lowers the peak (VmHWM) to the current resident size by writing "5" to /proc/self/clear_refs,
// after handing freed heap memory back to the system so that a later peak is not hidden by
// reused free blocks. False when the kernel does not let us (no /proc, or clear_refs not
// writable, as in some containers).
bool resetPeakResident();

} // namespace ortolan::bench
