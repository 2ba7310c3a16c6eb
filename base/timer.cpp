// The monotonic clock, or a fixed value that a test has set.
#include "base/timer.h"

#include <time.h>

namespace {

bool fakeClockOn = false;
double fakeClockSeconds = 0;

}  // namespace

double monotonicSeconds() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double timerSeconds() { return fakeClockOn ? fakeClockSeconds : monotonicSeconds(); }

void setFakeClock(double seconds) {
    fakeClockOn = true;
    fakeClockSeconds = seconds;
}

void useRealClock() { fakeClockOn = false; }
