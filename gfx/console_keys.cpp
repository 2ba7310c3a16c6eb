// The surface's hooks when no window could be opened.
#include "gfx/console_keys.h"
#include <termios.h>
#include <unistd.h>
#include <atomic>
#include <csignal>
#include <cstdlib>

namespace {

// Without a window Escape can still end the program from the terminal it
// was started in: the terminal is read byte by byte, and a lone 27 counts
// as Escape held for the check that read it.
termios savedConsole;
std::atomic<bool> consoleRaw{false};

void restoreConsoleOnSignal(int signalNumber) {
    tcsetattr(STDIN_FILENO, TCSANOW, &savedConsole);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void prepareConsole() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &savedConsole) != 0) return;
    termios raw = savedConsole;
    raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;  // reads return at once
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return;
    consoleRaw = true;
    std::atexit(restoreConsole);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, restoreConsoleOnSignal);
}

bool consoleKeyHeld(int scanCode) {
    if (scanCode != 1 || !consoleRaw) return false;
    unsigned char bytes[64];
    const ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
    // Cursor and function keys send sequences that start with 27 too.
    for (ssize_t i = 0; i < n; ++i)
        if (bytes[i] == 27 && (i + 1 == n || (bytes[i + 1] != '[' && bytes[i + 1] != 'O'))) return true;
    return false;
}

const SurfaceBackEnd backEnd = {nullptr, nullptr, consoleKeyHeld, waitForInputSignal};

}  // namespace

void restoreConsole() {
    if (consoleRaw.exchange(false)) tcsetattr(STDIN_FILENO, TCSANOW, &savedConsole);
}

const SurfaceBackEnd* consoleBackEnd() {
    prepareConsole();
    return &backEnd;
}
