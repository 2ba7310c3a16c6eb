"""Real-window figures, printed and never asserted: the idle cost of an open
window as a share of one core, and how long a mouse press takes to show on
screen. Usage: python3 bench/window_bench.py [BUILD-DIR] (default: build).

Idle: the browser sits on its home page for 10 s; utime + stime from
/proc/PID/stat (and the window thread's own from /proc/PID/task/PID/stat).
Press latency: the pointer rests on "Go", whose outline turns light blue as
soon as the press is seen; from the moment `xdotool mousedown` starts, one
pixel of that outline is read again and again straight from the X server
(XGetImage through ctypes, well under a millisecond a read), so the figure
includes xdotool's own start-up, as a person's press would not.
"""
import ctypes
import ctypes.util
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(SOURCE, "tests", "programs"))
build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(SOURCE, "build"))
os.environ.setdefault("NUVA_BIN", build)
os.environ.setdefault("NUVA_TOOLS_BIN", os.path.join(build, "tests"))
os.environ.setdefault("NUVA_SOURCE_DIR", SOURCE)

import winlib  # noqa: E402

PAGE = "#14\n$An idle page\n|\n=\n#\n$Nothing moves here.\n"
GO = (358, 424)          # inside the "Go" button
GO_EDGE = (351, 425)     # a pixel of its outline
LIGHT_BLUE = winlib.PALETTE[9]
PRESSES = 10


def cpu_ticks(path):
    with open(path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def idle_share(r, seconds=10.0):
    ticks = os.sysconf("SC_CLK_TCK")
    whole, window = "/proc/%d/stat" % r.pid, "/proc/%d/task/%d/stat" % (r.pid, r.pid)
    start, start_window, t0 = cpu_ticks(whole), cpu_ticks(window), time.monotonic()
    time.sleep(seconds)
    end, end_window, t1 = cpu_ticks(whole), cpu_ticks(window), time.monotonic()
    elapsed = t1 - t0
    return (end - start) / ticks / elapsed, (end_window - start_window) / ticks / elapsed


class PixelReader:
    """Reads single pixels of a window from the X server, as 0xRRGGBB."""

    def __init__(self, display):
        x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XGetImage.restype = ctypes.c_void_p
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XGetPixel.restype = ctypes.c_ulong
        x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.x11 = x11
        self.display = x11.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display)

    def pixel(self, wid, x, y):
        image = self.x11.XGetImage(self.display, wid, x, y, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
        value = self.x11.XGetPixel(image, 0, 0) & 0xFFFFFF
        self.x11.XDestroyImage(image)
        return value


def rgb_value(colour):
    return (colour[0] << 16) | (colour[1] << 8) | colour[2]


def seconds_until(done, begun, timeout=3.0):
    """Seconds from `begun` until done() holds."""
    deadline = begun + timeout
    while time.monotonic() < deadline:
        if done():
            return time.monotonic() - begun
    raise RuntimeError("the screen did not change within %.1f s" % timeout)


def press_latency(r):
    reader = PixelReader(r.xvfb.display)
    blue = rgb_value(LIGHT_BLUE)
    edge = lambda: reader.pixel(r.wid, *GO_EDGE)  # noqa: E731
    r.move(*GO)
    delays = []
    for _ in range(PRESSES):
        begun = time.monotonic()
        subprocess.Popen(["xdotool", "mousedown", "1"], env=r.xvfb.env)
        delays.append(seconds_until(lambda: edge() == blue, begun))
        time.sleep(0.05)
        r.release(1)
        seconds_until(lambda: edge() != blue, time.monotonic())
        time.sleep(0.1)
    return delays


def ms(values):
    return "median %.1f ms (min %.1f, max %.1f)" % (
        statistics.median(values) * 1000, min(values) * 1000, max(values) * 1000)


def main():
    winlib.require_xvfb()
    xvfb = winlib.Xvfb()
    work = winlib.prepare_dir({"home.vek": PAGE}, ini="home.vek")
    r = winlib.Running(xvfb, [winlib.program("nuva")], work)
    try:
        r.wait_window()
        time.sleep(1.0)  # let start-up finish
        whole, window = idle_share(r)
        print("idle, window open for 10 s: %.2f%% of one core (window thread %.2f%%)"
              % (whole * 100, window * 100))
        delays = press_latency(r)
        print("press until pixels change on screen, %d presses: %s" % (PRESSES, ms(delays)))
        started = []
        for _ in range(5):
            t0 = time.monotonic()
            subprocess.run(["xdotool", "mousemove", "--window", str(r.wid), "1", "1"], env=xvfb.env)
            started.append(time.monotonic() - t0)
        print("(one xdotool run alone takes %s)" % ms(started))
        r.hold_key("Escape")
        r.wait_exit(5)
    finally:
        r.close()
        xvfb.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
