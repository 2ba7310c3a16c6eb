// The surface core: the pixel buffer and its drawing operations, the key
// queue, the key-held flags and the mouse, shared by both back ends. Drawing
// is plain memory writes plus a record of the changed rows; a window back end
// copies those rows on its own thread.
#include "gfx/surface.h"
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include "gfx/surface_internal.h"

namespace {

const size_t keyQueueSize = 15;

struct InputState {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<std::string> keys;
    bool keyDown[128] = {};
    MouseState mouse;
    int32_t pressedSincePoll = 0;  // buttons pressed since the logic last polled
    uint64_t events = 0;           // counts every input fed by a back end
    uint64_t eventsSeen = 0;       // `events` when the logic last looked
};

InputState& input() {
    static InputState state;
    return state;
}

std::atomic<const SurfaceBackEnd*> installedBackEnd{nullptr};
// The size asked for, kept even when no window could be opened.
std::atomic<int> openedWidth{0}, openedHeight{0};

const SurfaceBackEnd* backEnd() {
    const SurfaceBackEnd* b = installedBackEnd.load();
    return b ? b : headlessBackEnd();
}

void noteInput(InputState& in) {
    ++in.events;
    in.arrived.notify_all();
}

// Integer midpoint line, one pixel per step along the longer axis. 64-bit
// steps so that far-off end points cannot overflow.
void drawSlopedLine(SurfaceBuffer& s, int x1, int y1, int x2, int y2, uint8_t colour) {
    int64_t x = x1, y = y1;
    const int64_t dx = std::llabs(int64_t(x2) - x1), dy = -std::llabs(int64_t(y2) - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int64_t err = dx + dy;
    int top = s.height, bottom = -1;
    for (;;) {
        if (x >= 0 && x < s.width && y >= 0 && y < s.height) {
            putPixel(s, int(x), int(y), colour);
            top = std::min(top, int(y));
            bottom = std::max(bottom, int(y));
        }
        if (x == x2 && y == y2) break;
        const int64_t e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
    markRowsDirty(s, top, bottom);
}

}  // namespace

SurfaceBuffer& surfaceBuffer() {
    static SurfaceBuffer buffer;
    return buffer;
}

bool takeDirtyRows(int& top, int& bottom) {
    SurfaceBuffer& s = surfaceBuffer();
    if (s.dirtyTop > s.dirtyBottom) return false;
    top = s.dirtyTop;
    bottom = s.dirtyBottom;
    s.dirtyTop = 0;
    s.dirtyBottom = -1;
    return true;
}

void markRowsDirty(SurfaceBuffer& s, int top, int bottom) {
    top = std::max(top, 0);
    bottom = std::min(bottom, s.height - 1);
    if (top > bottom) return;
    if (s.dirtyTop > s.dirtyBottom) {
        s.dirtyTop = top;
        s.dirtyBottom = bottom;
    } else {
        s.dirtyTop = std::min(s.dirtyTop, top);
        s.dirtyBottom = std::max(s.dirtyBottom, bottom);
    }
}

void fillClipped(SurfaceBuffer& s, int x1, int y1, int x2, int y2, uint8_t colour) {
    const int left = std::max(std::min(x1, x2), 0), right = std::min(std::max(x1, x2), s.width - 1);
    const int top = std::max(std::min(y1, y2), 0), bottom = std::min(std::max(y1, y2), s.height - 1);
    if (left > right || top > bottom) return;
    for (int y = top; y <= bottom; ++y)
        std::memset(&s.pixels[size_t(y) * s.width + left], colour, size_t(right - left + 1));
    markRowsDirty(s, top, bottom);
}

void installBackEnd(const SurfaceBackEnd* b) { installedBackEnd.store(b); }

void openSurface(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    SurfaceBuffer& s = surfaceBuffer();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.width = width;
        s.height = height;
        s.pixels.assign(size_t(width) * height, 0);
        s.dirtyTop = 0;
        s.dirtyBottom = height - 1;
    }
    openedWidth = width;
    openedHeight = height;
    const SurfaceBackEnd* b = backEnd();
    if (b->open && !b->open(width, height)) {
        std::lock_guard<std::mutex> guard(s.lock);
        s.width = s.height = 0;
        s.pixels.clear();
        s.dirtyTop = 0;
        s.dirtyBottom = -1;
    }
}

int surfaceWidth() { return openedWidth; }
int surfaceHeight() { return openedHeight; }

void setPixel(int x, int y, int32_t colour) {
    SurfaceBuffer& s = surfaceBuffer();
    std::lock_guard<std::mutex> guard(s.lock);
    if (x < 0 || x >= s.width || y < 0 || y >= s.height) return;
    s.pixels[size_t(y) * s.width + x] = uint8_t(colour);
    markRowsDirty(s, y, y);
}

void drawLine(int x1, int y1, int x2, int y2, int32_t colour) {
    SurfaceBuffer& s = surfaceBuffer();
    std::lock_guard<std::mutex> guard(s.lock);
    if (x1 == x2 || y1 == y2)
        fillClipped(s, x1, y1, x2, y2, uint8_t(colour));
    else
        drawSlopedLine(s, x1, y1, x2, y2, uint8_t(colour));
}

// Each edge is clipped on its own; an edge off the surface is simply not
// drawn, never pulled onto the border.
void drawRectangle(int x1, int y1, int x2, int y2, int32_t colour) {
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    SurfaceBuffer& s = surfaceBuffer();
    std::lock_guard<std::mutex> guard(s.lock);
    fillClipped(s, left, top, right, top, uint8_t(colour));
    fillClipped(s, left, bottom, right, bottom, uint8_t(colour));
    fillClipped(s, left, top, left, bottom, uint8_t(colour));
    fillClipped(s, right, top, right, bottom, uint8_t(colour));
}

void fillRectangle(int x1, int y1, int x2, int y2, int32_t colour) {
    SurfaceBuffer& s = surfaceBuffer();
    std::lock_guard<std::mutex> guard(s.lock);
    fillClipped(s, x1, y1, x2, y2, uint8_t(colour));
}

uint8_t surfacePixel(int x, int y) {
    SurfaceBuffer& s = surfaceBuffer();
    std::lock_guard<std::mutex> guard(s.lock);
    if (x < 0 || x >= s.width || y < 0 || y >= s.height) return 0;
    return s.pixels[size_t(y) * s.width + x];
}

void queueKey(const std::string& key) {
    InputState& in = input();
    std::lock_guard<std::mutex> guard(in.lock);
    if (in.keys.size() >= keyQueueSize) in.keys.pop_front();
    in.keys.push_back(key);
    noteInput(in);
}

std::string readKey() {
    InputState& in = input();
    std::lock_guard<std::mutex> guard(in.lock);
    if (in.keys.empty()) return {};
    std::string key = std::move(in.keys.front());
    in.keys.pop_front();
    return key;
}

void setKeyDown(int scanCode, bool down) {
    if (scanCode < 0 || scanCode > 127) return;
    InputState& in = input();
    std::lock_guard<std::mutex> guard(in.lock);
    in.keyDown[scanCode] = down;
    noteInput(in);
}

void clearKeyFlags() {
    InputState& in = input();
    std::lock_guard<std::mutex> guard(in.lock);
    std::fill(std::begin(in.keyDown), std::end(in.keyDown), false);
    noteInput(in);
}

bool isKeyDown(int scanCode) {
    if (scanCode < 0 || scanCode > 127) return false;
    const SurfaceBackEnd* b = backEnd();
    if (b->keyHeld) return b->keyHeld(scanCode);
    InputState& in = input();
    std::lock_guard<std::mutex> guard(in.lock);
    return in.keyDown[scanCode];
}

void setMouseState(MouseState state) {
    InputState& in = input();
    std::lock_guard<std::mutex> guard(in.lock);
    // Only presses are latched: a button held across a poll and released
    // after it must not be seen again at the next one.
    const int32_t held = std::max(in.mouse.buttons, 0), now = std::max(state.buttons, 0);
    in.pressedSincePoll |= now & ~held;
    in.mouse = state;
    noteInput(in);
}

MouseState pollMouse() {
    const SurfaceBackEnd* b = backEnd();
    if (b->beforePollMouse) b->beforePollMouse();
    InputState& in = input();
    std::lock_guard<std::mutex> guard(in.lock);
    MouseState m = in.mouse;
    if (m.buttons >= 0) m.buttons |= in.pressedSincePoll;
    in.pressedSincePoll = 0;
    in.eventsSeen = in.events;
    return m;
}

void resetInput() {
    InputState& in = input();
    std::lock_guard<std::mutex> guard(in.lock);
    in.keys.clear();
    std::fill(std::begin(in.keyDown), std::end(in.keyDown), false);
    in.mouse = MouseState();
    in.pressedSincePoll = 0;
    noteInput(in);
}

// Returns at once when a key is waiting or input arrived since the logic
// last polled, so nothing fed just before the call is slept through.
void waitForInputSignal(int milliseconds) {
    InputState& in = input();
    std::unique_lock<std::mutex> guard(in.lock);
    in.arrived.wait_for(guard, std::chrono::milliseconds(std::max(milliseconds, 0)),
                        [&] { return !in.keys.empty() || in.events != in.eventsSeen; });
    in.eventsSeen = in.events;
}

void waitForInput(int milliseconds) {
    const SurfaceBackEnd* b = backEnd();
    if (b->waitForInput) b->waitForInput(milliseconds);
}
