"""Running NUVA in a real window under Xvfb: the display, the program in a
prepared working directory, screenshots read straight from xwd, small PNG
reading and writing, pixel comparison, mouse and key input through xdotool,
and waits with deadlines instead of fixed sleeps.

Standard library only. Environment (set by ctest): NUVA_BIN holds nuva and
nuva-shot, NUVA_TOOLS_BIN holds send_close, NUVA_SOURCE_DIR is the repository.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

SOURCE_DIR = os.environ.get("NUVA_SOURCE_DIR",
                            os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
NUVA_BIN = os.environ.get("NUVA_BIN", os.path.join(SOURCE_DIR, "build"))
TOOLS_BIN = os.environ.get("NUVA_TOOLS_BIN", os.path.join(NUVA_BIN, "tests"))

# Where a centred window's client area lands on the 1024x768 screen when no
# window manager is running.
CLIENT_ORIGIN = {(495, 430): (264, 169), (640, 480): (192, 144)}

PALETTE = [(0, 0, 0), (0, 0, 170), (0, 170, 0), (0, 170, 170),
           (170, 0, 0), (170, 0, 170), (170, 85, 0), (170, 170, 170),
           (85, 85, 85), (85, 85, 255), (85, 255, 85), (85, 255, 255),
           (255, 85, 85), (255, 85, 255), (255, 255, 85), (255, 255, 255)]


def program(name):
    return os.path.join(NUVA_BIN, name)


def tool(name):
    return os.path.join(TOOLS_BIN, name)


def require_xvfb():
    """Fails the whole script with a clear message when Xvfb or xdotool is
    missing; tools/install-deps.sh installs them."""
    missing = [t for t in ("Xvfb", "xdotool", "xwd", "xset") if shutil.which(t) is None]
    if missing:
        print("cannot run real-window tests: missing " + ", ".join(missing)
              + " (run tools/install-deps.sh)")
        print("0 passed, 1 failed")
        sys.exit(1)


# ---------------------------------------------------------------- display

class Xvfb:
    """A virtual 24-bit 1024x768 screen on a display number Xvfb picks.
    Without -noreset, Xvfb resets whenever its last client leaves (losing
    `xset r off`), and a program that connects during the reset cannot open
    its window: tests end one program before starting the next."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise RuntimeError("Xvfb did not report a display")
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display, SDL_VIDEODRIVER="x11")
        self.run(["xset", "r", "off"])

    def run(self, argv, check=True, timeout=10):
        done = subprocess.run(argv, env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=timeout)
        if check and done.returncode != 0:
            raise RuntimeError("%s failed (%d): %s" % (" ".join(argv), done.returncode,
                                                      done.stderr.decode(errors="replace")))
        return done.stdout.decode(errors="replace")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


# ---------------------------------------------------------------- programs

def prepare_dir(pages=None, ini=None):
    """A fresh working directory with a copy of the repository's SYS/ and
    the given page files ({relative path: text or bytes}). `ini`, when
    given, replaces SYS/VEK.INI (the home location)."""
    work = tempfile.mkdtemp(prefix="nuva-win-")
    sys_dir = os.path.join(SOURCE_DIR, "SYS")
    if os.path.isdir(sys_dir):
        shutil.copytree(sys_dir, os.path.join(work, "SYS"))
    else:
        os.mkdir(os.path.join(work, "SYS"))
    for name, content in (pages or {}).items():
        path = os.path.join(work, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content.encode("latin-1") if isinstance(content, str) else content)
    if ini is not None:
        with open(os.path.join(work, "SYS", "VEK.INI"), "wb") as f:
            f.write(ini.encode("latin-1") + b"\r\n")
    return work


class Running:
    """One program started on the display, with its output collected in
    files (so a chatty program cannot block on a full pipe)."""

    def __init__(self, xvfb, argv, cwd):
        self.xvfb = xvfb
        self.cwd = cwd
        self.out = open(os.path.join(cwd, ".stdout"), "w+b")
        self.err = open(os.path.join(cwd, ".stderr"), "w+b")
        self.proc = subprocess.Popen(argv, cwd=cwd, env=xvfb.env, stdin=subprocess.DEVNULL,
                                     stdout=self.out, stderr=self.err)
        self.wid = None

    @property
    def pid(self):
        return self.proc.pid

    def alive(self):
        return self.proc.poll() is None

    def wait_window(self, name="nuva", timeout=10):
        """Waits until a window captioned `name` is mapped; returns its id."""
        def found():
            if not self.alive():
                raise AssertionError("program ended (%s) before its window opened; stderr: %s"
                                     % (self.proc.returncode, self.stderr()))
            ids = self.xvfb.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                                check=False).split()
            return int(ids[0]) if ids else None
        self.wid = wait_until(found, timeout, "a window named %r" % name)
        # It has the focus when it maps without a window manager; make sure.
        self.xvfb.run(["xdotool", "windowfocus", "--sync", str(self.wid)], check=False)
        return self.wid

    def wait_exit(self, timeout=5):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stdout(self):
        self.out.flush()
        self.out.seek(0)
        return self.out.read()

    def stderr(self):
        self.err.flush()
        self.err.seek(0)
        return self.err.read().decode(errors="replace")

    def kill(self):
        if self.alive():
            self.proc.send_signal(signal.SIGKILL)
            self.proc.wait()

    def close(self):
        self.kill()
        self.out.close()
        self.err.close()

    # -- input, all in client-area coordinates of the program's window

    def screenshot(self):
        return screenshot(self.xvfb, self.wid)

    def move(self, x, y):
        self.xvfb.run(["xdotool", "mousemove", "--window", str(self.wid), str(x), str(y)])

    def press(self, button=1):
        self.xvfb.run(["xdotool", "mousedown", str(button)])

    def release(self, button=1):
        self.xvfb.run(["xdotool", "mouseup", str(button)])

    def click(self, x, y, button=1, hold=0.05):
        """A click as a person makes it: long enough for any poll to see."""
        self.move(x, y)
        self.press(button)
        time.sleep(hold)
        self.release(button)

    def key(self, *names):
        """Key presses (xdotool key names) sent to the focused window."""
        self.xvfb.run(["xdotool", "key"] + list(names))

    def type_text(self, text):
        self.xvfb.run(["xdotool", "type", "--delay", "20", text])

    def key_down(self, name):
        self.xvfb.run(["xdotool", "keydown", name])

    def key_up(self, name):
        self.xvfb.run(["xdotool", "keyup", name])

    def hold_key(self, name, seconds=0.15):
        self.key_down(name)
        time.sleep(seconds)
        self.key_up(name)

    def send_close(self):
        self.xvfb.run([tool("send_close"), str(self.wid)])

    def window_exists(self):
        ids = self.xvfb.run(["xdotool", "search", "--onlyvisible", "--name", "^nuva$"],
                            check=False).split()
        return str(self.wid) in ids

    def wait_screen(self, check, timeout=5, what="the expected screen"):
        """Polls screenshots until check(image) holds; returns that image.
        On time-out the last screenshot is saved beside the failure."""
        last = [None]

        def probe():
            last[0] = self.screenshot()
            return last[0] if check(last[0]) else None
        try:
            return wait_until(probe, timeout, what, interval=0.02)
        except AssertionError:
            if last[0] is not None:
                path = save_failure(last[0], "wait_screen")
                raise AssertionError("timed out waiting for %s; last screenshot: %s" % (what, path))
            raise


def wait_until(probe, timeout, what, interval=0.05):
    """Calls probe() until it returns something other than None/False, up to
    `timeout` seconds; returns that value or fails naming `what`."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value is not None and value is not False:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# ---------------------------------------------------------------- images

class Image:
    """RGB pixels, 3 bytes each, row by row."""

    def __init__(self, width, height, rgb=None):
        self.width, self.height = width, height
        self.rgb = bytearray(rgb) if rgb is not None else bytearray(width * height * 3)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])


def screenshot(xvfb, wid):
    """The window's client area as an Image, read from xwd's output."""
    done = subprocess.run(["xwd", "-id", str(wid), "-silent"], env=xvfb.env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=10)
    if done.returncode != 0:
        raise RuntimeError("xwd failed: " + done.stderr.decode(errors="replace"))
    return parse_xwd(done.stdout)


def parse_xwd(data):
    """A ZPixmap XWD dump with 24 or 32 bits per pixel into an Image."""
    fields = struct.unpack(">25I", data[:100])
    (header_size, _version, pixmap_format, _depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask,
     blue_mask, _bits_rgb, _entries, ncolours) = fields[:20]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError("unsupported xwd image: format %d, %d bits per pixel"
                         % (pixmap_format, bits_per_pixel))
    start = header_size + ncolours * 12
    step = bits_per_pixel // 8
    order = "little" if byte_order == 0 else "big"
    image = Image(width, height)
    lanes = [byte_lane(mask, step, order) for mask in (red_mask, green_mask, blue_mask)]
    for y in range(height):
        row = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        line = bytearray(width * 3)
        if None not in lanes:
            for channel, lane in enumerate(lanes):
                line[channel::3] = row[lane::step]
        else:
            for x in range(width):
                value = int.from_bytes(row[x * step:x * step + step], order)
                for channel, mask in enumerate((red_mask, green_mask, blue_mask)):
                    line[x * 3 + channel] = (value & mask) >> ((mask & -mask).bit_length() - 1)
        image.rgb[y * width * 3:(y + 1) * width * 3] = line
    return image


def byte_lane(mask, step, order):
    """Which byte of a pixel holds the channel `mask`, when it is a whole byte."""
    shift = (mask & -mask).bit_length() - 1
    if mask >> shift != 0xFF or shift % 8:
        return None
    return shift // 8 if order == "little" else step - 1 - shift // 8


def read_png(path):
    """An 8-bit RGB (or RGBA, alpha dropped) non-interlaced PNG as an Image."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + " is not a PNG file")
    pos, idat, header = 8, bytearray(), None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    width, height, depth, colour_type, _c, _f, interlace = header
    if depth != 8 or colour_type not in (2, 6) or interlace != 0:
        raise ValueError("%s: unsupported PNG (depth %d, colour type %d, interlace %d)"
                         % (path, depth, colour_type, interlace))
    channels = 3 if colour_type == 2 else 4
    raw = zlib.decompress(bytes(idat))
    stride = width * channels
    previous = bytearray(stride)
    image = Image(width, height)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        unfilter(kind, line, previous, channels)
        if channels == 3:
            image.rgb[y * stride:(y + 1) * stride] = line
        else:
            for x in range(width):
                image.rgb[(y * width + x) * 3:(y * width + x) * 3 + 3] = line[x * 4:x * 4 + 3]
        previous = line
    return image


def unfilter(kind, line, previous, bpp):
    """Undoes one of the five PNG row filters in place."""
    if kind == 0:
        return
    for i in range(len(line)):
        left = line[i - bpp] if i >= bpp else 0
        up = previous[i]
        if kind == 1:
            predictor = left
        elif kind == 2:
            predictor = up
        elif kind == 3:
            predictor = (left + up) // 2
        elif kind == 4:
            upper_left = previous[i - bpp] if i >= bpp else 0
            p = left + up - upper_left
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
            predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else upper_left)
        else:
            raise ValueError("bad PNG filter type %d" % kind)
        line[i] = (line[i] + predictor) & 0xFF


def write_png(image, path):
    """Saves an Image as an 8-bit RGB PNG (rows unfiltered)."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    stride = image.width * 3
    raw = b"".join(b"\0" + bytes(image.rgb[y * stride:(y + 1) * stride])
                   for y in range(image.height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def artefact_dir():
    path = os.environ.get("NUVA_ARTEFACTS", os.path.join(tempfile.gettempdir(), "nuva-artefacts"))
    os.makedirs(path, exist_ok=True)
    return path


def save_failure(image, label):
    path = os.path.join(artefact_dir(), "%s-%d.png" % (label, int(time.time() * 1000)))
    write_png(image, path)
    return path


def differences(actual, expected, region=None, limit=5):
    """Up to `limit` differing pixels as (x, y, actual, expected), within
    region (x1, y1, x2, y2 inclusive) or the whole image."""
    if (actual.width, actual.height) != (expected.width, expected.height) and region is None:
        return [("size", (actual.width, actual.height), (expected.width, expected.height))]
    x1, y1, x2, y2 = region or (0, 0, expected.width - 1, expected.height - 1)
    found = []
    for y in range(y1, y2 + 1):
        a0 = (y * actual.width) * 3
        e0 = (y * expected.width) * 3
        if actual.rgb[a0 + x1 * 3:a0 + x2 * 3 + 3] == expected.rgb[e0 + x1 * 3:e0 + x2 * 3 + 3]:
            continue
        for x in range(x1, x2 + 1):
            if actual.pixel(x, y) != expected.pixel(x, y):
                found.append((x, y, actual.pixel(x, y), expected.pixel(x, y)))
                if len(found) >= limit:
                    return found
    return found


def assert_same(actual, expected, region=None, label="screen"):
    """Fails with the first differing pixels, saving both images."""
    diff = differences(actual, expected, region)
    if diff:
        a = save_failure(actual, label + "-actual")
        e = save_failure(expected, label + "-expected")
        raise AssertionError("%s differs: %s (saved %s and %s)" % (
            label, "; ".join(describe(d) for d in diff), a, e))


def describe(diff):
    if diff[0] == "size":
        return "size %s, expected %s" % (diff[1], diff[2])
    x, y, a, e = diff
    return "(%d, %d) is %s, expected %s" % (x, y, a, e)


# ---------------------------------------------------------------- running tests

class ProgramTest(unittest.TestCase):
    """Shares one Xvfb across a script's tests and ends every program and
    working directory a test started, pass or fail."""
    xvfb = None

    @classmethod
    def setUpClass(cls):
        if ProgramTest.xvfb is None:
            ProgramTest.xvfb = Xvfb()

    def setUp(self):
        self._running = []
        self._dirs = []

    def tearDown(self):
        for r in self._running:
            r.close()
        for d in self._dirs:
            shutil.rmtree(d, ignore_errors=True)

    def workdir(self, pages=None, ini=None):
        d = prepare_dir(pages, ini)
        self._dirs.append(d)
        return d

    def start(self, args=(), cwd=None, name="nuva"):
        r = Running(self.xvfb, [program(name)] + list(args), cwd or self.workdir())
        self._running.append(r)
        return r


def main():
    """Runs the calling script's tests; prints 'N passed, M failed' last and
    exits non-zero on any failure."""
    require_xvfb()
    module = sys.modules["__main__"]
    names = sys.argv[1:]  # e.g. Class.test_name, to run a few by hand
    loader = unittest.defaultTestLoader
    suite = loader.loadTestsFromNames(names, module) if names else loader.loadTestsFromModule(module)
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    if ProgramTest.xvfb is not None:
        ProgramTest.xvfb.stop()
    failed = len(result.failures) + len(result.errors)
    print("%d passed, %d failed" % (result.testsRun - failed, failed))
    sys.exit(1 if failed else 0)

