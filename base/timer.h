// Seconds on a monotonic clock. Tests replace the clock with a fake one so
// that timed refreshes can be driven without waiting.
#pragma once

double timerSeconds();
void setFakeClock(double seconds);
void useRealClock();
