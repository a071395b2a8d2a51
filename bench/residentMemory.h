// The benchmarks' own resident memory, for counters beside their times
// (Linux's /proc; zero elsewhere).
#pragma once

namespace korvel::bench {

// Resident now, in MiB.
double residentMiB();
// The peak since the last resetPeakResident (or the start), in MiB.
double peakResidentMiB();
// Starts the peak again from what is resident now.
void resetPeakResident();

} // namespace korvel::bench
