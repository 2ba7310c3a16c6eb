// Seconds on a monotonic clock. Tests replace the clock with a fake one so
// that timed refreshes can be driven without waiting.
#pragma once

double timerSeconds();
// The real monotonic clock, whatever a test has faked: for time-outs.
double monotonicSeconds();
void setFakeClock(double seconds);
void useRealClock();
