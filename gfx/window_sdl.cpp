// The real window, on SDL. SDL owns the main thread: it opens the window when
// the logic asks, feeds SDL's events into the core's key queue, key flags
// and mouse state, and copies the rows the logic changed to the window about
// every 10 ms. The logic runs on a thread of its own and never calls SDL.
#include "gfx/window.h"
#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include "gfx/console_keys.h"
#include "gfx/cp437.h"
#include "gfx/palette.h"
#include "gfx/surface_internal.h"

namespace {

using Clock = std::chrono::steady_clock;
const int refreshMs = 10;
const std::string closeRequest = "\xff" "k";

// ---------------------------------------------------------------- keys

struct ScanPair { SDL_Scancode sdl; uint8_t pc; };

// PC keyboard scan codes; the extended keys share the codes of their keypad
// twins, as on the PC.
const ScanPair pcScanCodes[] = {
    {SDL_SCANCODE_ESCAPE, 1}, {SDL_SCANCODE_1, 2}, {SDL_SCANCODE_2, 3}, {SDL_SCANCODE_3, 4},
    {SDL_SCANCODE_4, 5}, {SDL_SCANCODE_5, 6}, {SDL_SCANCODE_6, 7}, {SDL_SCANCODE_7, 8},
    {SDL_SCANCODE_8, 9}, {SDL_SCANCODE_9, 10}, {SDL_SCANCODE_0, 11}, {SDL_SCANCODE_MINUS, 12},
    {SDL_SCANCODE_EQUALS, 13}, {SDL_SCANCODE_BACKSPACE, 14}, {SDL_SCANCODE_TAB, 15},
    {SDL_SCANCODE_Q, 16}, {SDL_SCANCODE_W, 17}, {SDL_SCANCODE_E, 18}, {SDL_SCANCODE_R, 19},
    {SDL_SCANCODE_T, 20}, {SDL_SCANCODE_Y, 21}, {SDL_SCANCODE_U, 22}, {SDL_SCANCODE_I, 23},
    {SDL_SCANCODE_O, 24}, {SDL_SCANCODE_P, 25}, {SDL_SCANCODE_LEFTBRACKET, 26},
    {SDL_SCANCODE_RIGHTBRACKET, 27}, {SDL_SCANCODE_RETURN, 28}, {SDL_SCANCODE_LCTRL, 29},
    {SDL_SCANCODE_A, 30}, {SDL_SCANCODE_S, 31}, {SDL_SCANCODE_D, 32}, {SDL_SCANCODE_F, 33},
    {SDL_SCANCODE_G, 34}, {SDL_SCANCODE_H, 35}, {SDL_SCANCODE_J, 36}, {SDL_SCANCODE_K, 37},
    {SDL_SCANCODE_L, 38}, {SDL_SCANCODE_SEMICOLON, 39}, {SDL_SCANCODE_APOSTROPHE, 40},
    {SDL_SCANCODE_GRAVE, 41}, {SDL_SCANCODE_LSHIFT, 42}, {SDL_SCANCODE_BACKSLASH, 43},
    {SDL_SCANCODE_Z, 44}, {SDL_SCANCODE_X, 45}, {SDL_SCANCODE_C, 46}, {SDL_SCANCODE_V, 47},
    {SDL_SCANCODE_B, 48}, {SDL_SCANCODE_N, 49}, {SDL_SCANCODE_M, 50}, {SDL_SCANCODE_COMMA, 51},
    {SDL_SCANCODE_PERIOD, 52}, {SDL_SCANCODE_SLASH, 53}, {SDL_SCANCODE_RSHIFT, 54},
    {SDL_SCANCODE_KP_MULTIPLY, 55}, {SDL_SCANCODE_LALT, 56}, {SDL_SCANCODE_SPACE, 57},
    {SDL_SCANCODE_CAPSLOCK, 58}, {SDL_SCANCODE_F1, 59}, {SDL_SCANCODE_F2, 60},
    {SDL_SCANCODE_F3, 61}, {SDL_SCANCODE_F4, 62}, {SDL_SCANCODE_F5, 63}, {SDL_SCANCODE_F6, 64},
    {SDL_SCANCODE_F7, 65}, {SDL_SCANCODE_F8, 66}, {SDL_SCANCODE_F9, 67}, {SDL_SCANCODE_F10, 68},
    {SDL_SCANCODE_NUMLOCKCLEAR, 69}, {SDL_SCANCODE_SCROLLLOCK, 70}, {SDL_SCANCODE_KP_7, 71},
    {SDL_SCANCODE_KP_8, 72}, {SDL_SCANCODE_KP_9, 73}, {SDL_SCANCODE_KP_MINUS, 74},
    {SDL_SCANCODE_KP_4, 75}, {SDL_SCANCODE_KP_5, 76}, {SDL_SCANCODE_KP_6, 77},
    {SDL_SCANCODE_KP_PLUS, 78}, {SDL_SCANCODE_KP_1, 79}, {SDL_SCANCODE_KP_2, 80},
    {SDL_SCANCODE_KP_3, 81}, {SDL_SCANCODE_KP_0, 82}, {SDL_SCANCODE_KP_PERIOD, 83},
    {SDL_SCANCODE_NONUSBACKSLASH, 86}, {SDL_SCANCODE_F11, 87}, {SDL_SCANCODE_F12, 88},
    {SDL_SCANCODE_KP_ENTER, 28}, {SDL_SCANCODE_RCTRL, 29}, {SDL_SCANCODE_KP_DIVIDE, 53},
    {SDL_SCANCODE_RALT, 56}, {SDL_SCANCODE_HOME, 71}, {SDL_SCANCODE_UP, 72},
    {SDL_SCANCODE_PAGEUP, 73}, {SDL_SCANCODE_LEFT, 75}, {SDL_SCANCODE_RIGHT, 77},
    {SDL_SCANCODE_END, 79}, {SDL_SCANCODE_DOWN, 80}, {SDL_SCANCODE_PAGEDOWN, 81},
    {SDL_SCANCODE_INSERT, 82}, {SDL_SCANCODE_DELETE, 83},
};

int pcScanCode(SDL_Scancode code) {
    for (const ScanPair& p : pcScanCodes)
        if (p.sdl == code) return p.pc;
    return 0;
}

// Keys that type nothing: the second byte after 255, alone and with Shift,
// Ctrl or Alt. These are the PC keyboard's extended codes, so no combination
// gives 72 or 80, and Alt+F4 gives 107, the close request's own entry.
struct ExtendedKey { SDL_Scancode key; uint8_t plain, shift, ctrl, alt; };
const ExtendedKey extendedKeys[] = {
    {SDL_SCANCODE_UP, 72, 72, 141, 152},      {SDL_SCANCODE_DOWN, 80, 80, 145, 160},
    {SDL_SCANCODE_LEFT, 75, 75, 115, 155},    {SDL_SCANCODE_RIGHT, 77, 77, 116, 157},
    {SDL_SCANCODE_HOME, 71, 71, 119, 151},    {SDL_SCANCODE_END, 79, 79, 117, 159},
    {SDL_SCANCODE_PAGEUP, 73, 73, 132, 153},  {SDL_SCANCODE_PAGEDOWN, 81, 81, 118, 161},
    {SDL_SCANCODE_INSERT, 82, 82, 146, 162},  {SDL_SCANCODE_DELETE, 83, 83, 147, 163},
    {SDL_SCANCODE_F1, 59, 84, 94, 104},       {SDL_SCANCODE_F2, 60, 85, 95, 105},
    {SDL_SCANCODE_F3, 61, 86, 96, 106},       {SDL_SCANCODE_F4, 62, 87, 97, 107},
    {SDL_SCANCODE_F5, 63, 88, 98, 108},       {SDL_SCANCODE_F6, 64, 89, 99, 109},
    {SDL_SCANCODE_F7, 65, 90, 100, 110},      {SDL_SCANCODE_F8, 66, 91, 101, 111},
    {SDL_SCANCODE_F9, 67, 92, 102, 112},      {SDL_SCANCODE_F10, 68, 93, 103, 113},
    {SDL_SCANCODE_F11, 133, 135, 137, 139},   {SDL_SCANCODE_F12, 134, 136, 138, 140},
};

// With Num Lock off the keypad's digits are cursor keys and type nothing.
SDL_Scancode keypadAsCursor(SDL_Scancode code) {
    static const SDL_Scancode pad[][2] = {
        {SDL_SCANCODE_KP_8, SDL_SCANCODE_UP},      {SDL_SCANCODE_KP_2, SDL_SCANCODE_DOWN},
        {SDL_SCANCODE_KP_4, SDL_SCANCODE_LEFT},    {SDL_SCANCODE_KP_6, SDL_SCANCODE_RIGHT},
        {SDL_SCANCODE_KP_7, SDL_SCANCODE_HOME},    {SDL_SCANCODE_KP_1, SDL_SCANCODE_END},
        {SDL_SCANCODE_KP_9, SDL_SCANCODE_PAGEUP},  {SDL_SCANCODE_KP_3, SDL_SCANCODE_PAGEDOWN},
        {SDL_SCANCODE_KP_0, SDL_SCANCODE_INSERT},  {SDL_SCANCODE_KP_PERIOD, SDL_SCANCODE_DELETE},
    };
    for (const auto& p : pad)
        if (p[0] == code) return p[1];
    return code;
}

std::string extended(uint8_t code) { return std::string{char(0xff), char(code)}; }

// The queue entry for a key press, or "" when the press types text (which
// arrives as a text event of its own) or means nothing. Keys that type a
// control character come from here since text events never carry them.
std::string keyEntry(const SDL_Keysym& k) {
    switch (k.scancode) {
    case SDL_SCANCODE_RETURN: case SDL_SCANCODE_KP_ENTER: return "\r";
    case SDL_SCANCODE_BACKSPACE: return "\b";
    case SDL_SCANCODE_TAB: return "\t";
    case SDL_SCANCODE_ESCAPE: return "\x1b";
    default: break;
    }
    const bool alt = k.mod & KMOD_ALT, ctrl = k.mod & KMOD_CTRL, shift = k.mod & KMOD_SHIFT;
    const SDL_Scancode code = (k.mod & KMOD_NUM) ? k.scancode : keypadAsCursor(k.scancode);
    for (const ExtendedKey& x : extendedKeys)
        if (x.key == code) return extended(alt ? x.alt : ctrl ? x.ctrl : shift ? x.shift : x.plain);
    // Left Alt with a letter gives the letter's scan code, with a digit, "-"
    // or "=" the scan code plus 118 (Right Alt may be AltGr, which types).
    const int pc = pcScanCode(k.scancode);
    if ((k.mod & KMOD_LALT) && k.scancode >= SDL_SCANCODE_A && k.scancode <= SDL_SCANCODE_Z)
        return extended(uint8_t(pc));
    if ((k.mod & KMOD_LALT) && pc >= 2 && pc <= 13) return extended(uint8_t(pc + 118));
    if (ctrl && !alt && k.sym >= SDLK_a && k.sym <= SDLK_z) return std::string(1, char(k.sym - SDLK_a + 1));
    return "";
}

// One queue entry per typed character, in code page 437.
void queueText(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        uint32_t cp = *p++;
        int more = cp >= 0xf0 ? 3 : cp >= 0xe0 ? 2 : cp >= 0xc0 ? 1 : 0;
        if (more) cp &= 0x3f >> more;
        for (; more > 0 && (*p & 0xc0) == 0x80; --more) cp = (cp << 6) | (*p++ & 0x3f);
        const unsigned char b = cp437FromUnicode(cp);
        queueKey(std::string(1, char(b ? b : '?')));
    }
}

// ---------------------------------------------------------------- the window

struct Window {
    SDL_Window* window = nullptr;
    SDL_Surface* staging = nullptr;  // colour numbers, shown through the palette
    SDL_Cursor* arrow = nullptr;
    int width = 0, height = 0;
    bool repaintAll = true;
    bool focused = false, entered = false;
    bool textBlocked = false;  // the last key press had Left Alt, so its text is not typing
    int x = -1, y = -1, wheel = 0, buttons = 0;
};

void publishMouse(const Window& w) {
    const bool inside = w.x >= 0 && w.y >= 0 && w.x < w.width && w.y < w.height;
    if (w.focused && w.entered && inside)
        setMouseState(MouseState{w.x, w.y, w.wheel, w.buttons});
    else
        setMouseState(MouseState{});
}

int buttonBit(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    case SDL_BUTTON_X1: return 8;
    case SDL_BUTTON_X2: return 16;
    default: return 0;
    }
}

void windowEvent(Window& w, const SDL_WindowEvent& e) {
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: queueKey(closeRequest); return;
    case SDL_WINDOWEVENT_EXPOSED: case SDL_WINDOWEVENT_SHOWN: case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: w.repaintAll = true; return;
    case SDL_WINDOWEVENT_FOCUS_GAINED: w.focused = true; clearKeyFlags(); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: w.focused = false; clearKeyFlags(); break;
    case SDL_WINDOWEVENT_ENTER: w.entered = true; SDL_GetMouseState(&w.x, &w.y); break;
    case SDL_WINDOWEVENT_LEAVE: w.entered = false; break;
    default: return;
    }
    publishMouse(w);
}

void handleEvent(Window& w, const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT: queueKey(closeRequest); break;
    case SDL_WINDOWEVENT: windowEvent(w, e.window); break;
    // X delivers keys to the window under the pointer when the focus is on
    // the root window; only the active window takes keys.
    case SDL_KEYDOWN:
        if (!w.focused) break;
        setKeyDown(pcScanCode(e.key.keysym.scancode), true);
        w.textBlocked = e.key.keysym.mod & KMOD_LALT;
        if (const std::string entry = keyEntry(e.key.keysym); !entry.empty()) queueKey(entry);
        break;
    case SDL_KEYUP: setKeyDown(pcScanCode(e.key.keysym.scancode), false); break;
    case SDL_TEXTINPUT: if (w.focused && !w.textBlocked) queueText(e.text.text); break;
    case SDL_MOUSEMOTION: w.x = e.motion.x; w.y = e.motion.y; publishMouse(w); break;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP:
        w.x = e.button.x;
        w.y = e.button.y;
        if (e.type == SDL_MOUSEBUTTONDOWN) w.buttons |= buttonBit(e.button.button);
        else w.buttons &= ~buttonBit(e.button.button);
        publishMouse(w);
        break;
    case SDL_MOUSEWHEEL: {
        const int step = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        w.wheel += (step > 0) - (step < 0);
        publishMouse(w);
        break;
    }
    default: break;
    }
}

// Copies the rows changed since the last call (all rows after an expose)
// through the palette to the window; does nothing when nothing changed.
void presentChanges(Window& w) {
    SurfaceBuffer& s = surfaceBuffer();
    int top = 0, bottom = -1;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        const bool changed = takeDirtyRows(top, bottom);
        if (!changed && !w.repaintAll) return;
        if (w.repaintAll) top = 0, bottom = w.height - 1;
        bottom = std::min(bottom, std::min(s.height, w.height) - 1);
        const int columns = std::min(s.width, w.width);
        Uint8* rows = static_cast<Uint8*>(w.staging->pixels);
        for (int y = top; y <= bottom; ++y)
            std::memcpy(rows + size_t(y) * w.staging->pitch, &s.pixels[size_t(y) * s.width], size_t(columns));
    }
    w.repaintAll = false;
    if (top > bottom) return;
    SDL_Surface* target = SDL_GetWindowSurface(w.window);
    if (!target) return;
    SDL_Rect rows{0, top, w.width, bottom - top + 1}, into = rows;
    SDL_BlitSurface(w.staging, &rows, target, &into);
    SDL_UpdateWindowSurfaceRects(w.window, &rows, 1);
}

// ---------------------------------------------------------------- threads

struct Handover {
    std::mutex lock;
    std::condition_variable changed;
    int width = 0, height = 0;
    bool openAsked = false, openDone = false, opened = false;
};
Handover handover;
std::atomic<bool> logicDone{false};  // set under handover.lock, read without it too
std::string programName = "nuva";

// ---------------------------------------------------------------- opening

// On the logic's thread: hands the request to the main thread and waits.
bool askToOpen(int width, int height) {
    std::unique_lock<std::mutex> guard(handover.lock);
    if (!handover.openAsked) {
        handover.width = width;
        handover.height = height;
        handover.openAsked = true;
        handover.changed.notify_all();
    }
    handover.changed.wait(guard, [] { return handover.openDone; });
    if (!handover.opened) {
        installBackEnd(consoleBackEnd());
    }
    return handover.opened;
}

const SurfaceBackEnd windowBackEnd = {askToOpen, nullptr, nullptr, waitForInputSignal};

// The caption: the program file's name without directory and extension.
std::string captionFrom(const char* path) {
    std::string name = path ? path : "";
    name = name.substr(name.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() ? "nuva" : name;
}

bool createWindow(Window& w, int width, int height) {
    // With no display SDL would try every driver it has, noisily, and end
    // on its invisible offscreen one.
    if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        SDL_SetError("no display available");
        return false;
    }
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");  // X11's own image, not OpenGL
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    // A display that cannot be reached also ends there.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!std::getenv("SDL_VIDEODRIVER") && driver &&
        (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy"))) {
        SDL_SetError("no display available");
        return false;
    }
    w.width = width;
    w.height = height;
    w.window = SDL_CreateWindow(programName.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                width, height, SDL_WINDOW_SHOWN);
    w.staging = SDL_CreateRGBSurfaceWithFormat(0, width, height, 8, SDL_PIXELFORMAT_INDEX8);
    if (!w.window || !w.staging || !SDL_GetWindowSurface(w.window)) return false;
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i) {
        const Rgb c = paletteColour(uint8_t(i));
        colours[i] = SDL_Color{c.r, c.g, c.b, 255};
    }
    SDL_SetPaletteColors(w.staging->format->palette, colours, 0, 256);
    w.arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (w.arrow) SDL_SetCursor(w.arrow);
    SDL_RaiseWindow(w.window);
    SDL_StartTextInput();
    return true;
}

void closeWindow(Window& w) {
    if (w.staging) SDL_FreeSurface(w.staging);
    if (w.arrow) SDL_FreeCursor(w.arrow);
    if (w.window) SDL_DestroyWindow(w.window);
    SDL_Quit();
}

// Events until the logic ends, and the changed rows every refreshMs.
void serviceWindow(Window& w) {
    Clock::time_point lastCopy = Clock::now() - std::chrono::milliseconds(refreshMs);
    while (!logicDone) {
        const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastCopy);
        const int wait = std::max(1, refreshMs - int(since.count()));
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, wait)) handleEvent(w, e);
        if (Clock::now() - lastCopy >= std::chrono::milliseconds(refreshMs)) {
            presentChanges(w);
            lastCopy = Clock::now();
        }
    }
}

// No wake-up event: SDL wakes a waiting main thread with a message that a
// second X connection sends to the window, and when that message is still in
// flight as the window is destroyed, Xlib ends the program on a BadWindow
// error while SDL shuts down. The main thread sees logicDone within
// refreshMs anyway.
void finishLogic() {
    std::lock_guard<std::mutex> guard(handover.lock);
    logicDone = true;
    handover.changed.notify_all();
}

}  // namespace

int runWithWindow(int (*logic)(int argc, char** argv), int argc, char** argv) {
    programName = captionFrom(argc > 0 ? argv[0] : nullptr);
    installBackEnd(&windowBackEnd);
    int result = 0;
    std::thread worker([&] {
        result = logic(argc, argv);
        finishLogic();
    });
    std::unique_lock<std::mutex> guard(handover.lock);
    handover.changed.wait(guard, [] { return handover.openAsked || logicDone; });
    if (handover.openAsked) {
        guard.unlock();
        Window w;
        const bool opened = createWindow(w, handover.width, handover.height);
        if (!opened) std::fprintf(stderr, "%s: cannot open a window: %s\n", programName.c_str(), SDL_GetError());
        guard.lock();
        handover.opened = opened;
        handover.openDone = true;
        handover.changed.notify_all();
        guard.unlock();
        if (opened) serviceWindow(w);
        closeWindow(w);
    } else {
        guard.unlock();
    }
    worker.join();
    restoreConsole();
    return result;
}
