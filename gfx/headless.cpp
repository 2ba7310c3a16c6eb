// The in-memory back end: the core's buffer with nobody copying it out, and
// input that a test scripts. Everything runs on the logic's own thread.
#include "gfx/headless.h"
#include <cstdio>
#include <cstdlib>
#include "gfx/surface_internal.h"

namespace {

// A loop whose script never ends it would otherwise hang the test run.
const int pollLimit = 1000000;

std::function<void(int)> pollScript;
int pollCount = 0;

void headlessBeforePoll() {
    ++pollCount;
    if (pollCount > pollLimit) {
        std::fprintf(stderr,
                     "headless surface: pollMouse called %d times; the test's input script "
                     "never ended the loop\n",
                     pollLimit);
        std::abort();
    }
    if (pollScript) pollScript(pollCount);
}

// Opening always succeeds, keys held come from the core's flags, and
// waiting returns at once: scripted input is already there or never comes.
const SurfaceBackEnd headless = {nullptr, headlessBeforePoll, nullptr, nullptr};

}  // namespace

const SurfaceBackEnd* headlessBackEnd() { return &headless; }

void useHeadless() {
    installBackEnd(&headless);
    resetInput();
    pollScript = nullptr;
    pollCount = 0;
}

void headlessTypeKey(const std::string& key) { queueKey(key); }
void headlessSetKeyDown(int scanCode, bool down) { setKeyDown(scanCode, down); }
void headlessSetMouse(MouseState state) { setMouseState(state); }
void headlessOnPoll(std::function<void(int poll)> script) { pollScript = std::move(script); }
int headlessPollCount() { return pollCount; }
