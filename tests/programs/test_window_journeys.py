"""Whole journeys through the real window, with the real wget and a loopback
server: following local and remote links, back and home, set home, a typed
location and Go, scrolling by buttons and keys, the timed refresh and its
cancelling, a download, a form submission, and the close request. Every
screen is checked pixel for pixel against nuva-shot's picture of the same
page, with the outlines a click leaves behind drawn into the picture."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import winlib

# Client-area points inside the controls' hit rectangles.
ADDRESS_BAR = (100, 424)
GO = (358, 424)
SCROLL_DOWN = (489, 367)
SCROLL_UP = (489, 20)
BACK = (18, 402)
HOME = (52, 402)
SET_HOME = (86, 402)
ELSEWHERE = (240, 300)   # the page area below every element

# Highlight outlines, as (x1, y1, x2, y2).
BACK_OUTLINE = (2, 386, 33, 417)
HOME_OUTLINE = (36, 386, 67, 417)
SET_HOME_OUTLINE = (70, 386, 101, 417)
SCROLL_DOWN_OUTLINE = (485, 350, 493, 384)

BLACK, LIGHT_BLUE = winlib.PALETTE[0], winlib.PALETTE[9]

# The home page's links, one per window row, each at least 10 characters.
HOME_LINKS = ["b.vek", "REMOTE/r.vek", "refresh.vek", "cancel.vek", "long.vek", "form.vek"]


def link_point(row):
    """A point on the label of a link drawn at cursor x 0 on window `row`."""
    return (20, 8 * row + 3)


def home_page():
    labels = ["Local page", "Remote page", "Refresh page", "Cancel page", "Long page",
              "Form page"]
    lines = ["#14"]
    for label, target in zip(labels, HOME_LINKS):
        lines += ["_%s>%s" % (label, target), "|"]
    return lines + ["#7", "$The start of every journey.", "|"]


PAGE_B = [":1", "#15", "_Third page>c.vek", ":0", "|", "#10", "$This is page B.", "|", "=196"]
PAGE_C = ["#12", "$Page C: only a second click on B's link comes here.", "|"]
REMOTE_PAGE = ["#11", "$A page fetched from the loopback server.", "|", "=", ":4", "#15",
               "$ white on red ", ":", "|"]
REFRESH_PAGE = ["~1>b.vek", "#13", "$In a second or two this page moves on to B.", "|"]
CANCEL_PAGE = ["~1>b.vek", "#13", "$Space keeps this page where it is.", "|"]
# Rows 1 to 70 with a download link on layout row 20: window row 4 after
# one scroll step. The page ends inside the window after two steps.
DOWNLOAD_ROW = 20


def long_page():
    lines = ["#14", "$Long page top", "|"]
    for n in range(1, 71):
        if n == DOWNLOAD_ROW:
            lines += ["#15", "^Get x.bin>REMOTE/files/x.bin", "|"]
        else:
            lines += ["#%d" % (1 + n % 15), ":%d" % (n % 3), "$Row %d of the long page" % n, "|"]
    return lines


# Window row 1: "Name: " (cursor x 0 to 35), the field at cursor x 36, a
# blank, and the submit button at cursor x 90. Row 0 holds no form: a
# submit button there could not be clicked.
FORM_PAGE = ["#15", "$A form", "|", "[>REMOTE/echo", "$Name: ", "?name", "$ ", "]", "|"]
FIELD = (60, 11)         # inside x + 3 < x < x + 49 for field x 36
SUBMIT = (110, 11)       # inside x + 2 < x < x + 38 for form x 90
TYPED_VALUE = "a b&c"
ENCODED_QUERY = "/echo?name=a+b%26c"
DOWNLOAD_BYTES = bytes(range(256)) * 3 + b"\r\n\x00end"


def vek(lines, remote):
    return "\r\n".join(line.replace("REMOTE", remote) for line in lines) + "\r\n"


def outline(image, box, colour):
    """Draws a rectangle's one-pixel border into an Image, as the program
    draws a control's highlight outline."""
    x1, y1, x2, y2 = box
    for y in range(y1, y2 + 1):
        for x in range(x1, x2 + 1):
            if y in (y1, y2) or x in (x1, x2):
                i = (y * image.width + x) * 3
                image.rgb[i:i + 3] = bytes(colour)
    return image


def read_text(path):
    """A file's text, empty while it does not exist."""
    try:
        with open(path, encoding="latin-1") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def matches(expected):
    return lambda image: not winlib.differences(image, expected, limit=1)


class Journeys(winlib.ProgramTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.served = tempfile.mkdtemp(prefix="nuva-served-")
        cls.addClassCleanup(shutil.rmtree, cls.served, ignore_errors=True)
        cls.log = os.path.join(cls.served, ".requests")
        port_file = os.path.join(cls.served, ".port")
        server = subprocess.Popen(
            [sys.executable, os.path.join(winlib.SOURCE_DIR, "tools", "demo_server.py"),
             "--root", cls.served, "--port-file", port_file, "--log", cls.log],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.addClassCleanup(server.wait, 5)
        cls.addClassCleanup(server.terminate)
        port = winlib.wait_until(lambda: read_text(port_file) or None, 10, "the loopback server's port")
        cls.remote = "http://127.0.0.1:" + port
        os.makedirs(os.path.join(cls.served, "files"))
        with open(os.path.join(cls.served, "r.vek"), "w", newline="") as f:
            f.write(vek(REMOTE_PAGE, cls.remote))
        with open(os.path.join(cls.served, "files", "x.bin"), "wb") as f:
            f.write(DOWNLOAD_BYTES)
        cls.pages = {name: vek(lines, cls.remote) for name, lines in (
            ("home.vek", home_page()), ("b.vek", PAGE_B), ("c.vek", PAGE_C),
            ("refresh.vek", REFRESH_PAGE), ("cancel.vek", CANCEL_PAGE),
            ("long.vek", long_page()), ("form.vek", FORM_PAGE))}
        cls.shots = {}

    # -- helpers

    def location(self, name):
        return name.replace("REMOTE", self.remote)

    def shot(self, *args):
        """nuva-shot's picture (a fresh copy) in a directory like the
        program's own, with the server up; the last argument is the
        location."""
        args = args[:-1] + (self.location(args[-1]),)
        if args not in self.shots:
            work = self.workdir(self.pages, ini="home.vek")
            out = os.path.join(work, "expected.png")
            done = subprocess.run([winlib.program("nuva-shot")] + list(args) + [out],
                                  cwd=work, capture_output=True, timeout=30)
            self.assertEqual(done.returncode, 0, done.stderr)
            if args[-1].startswith("http://"):
                # A failed fetch would make both pictures the same empty page.
                self.assertTrue(read_text(os.path.join(work, "SYS", "VEKT00.VEK")),
                                "nuva-shot fetched nothing from " + args[-1])
            self.shots[args] = winlib.read_png(out)
        image = self.shots[args]
        return winlib.Image(image.width, image.height, image.rgb)

    def start_at(self, home="home.vek"):
        r = self.start((), self.workdir(self.pages, ini=home))
        r.wait_window()
        r.wait_screen(matches(self.shot(home)), what="the start page " + home)
        return r

    def expect(self, r, expected, what, timeout=5):
        return r.wait_screen(matches(expected), timeout=timeout, what=what)

    def requests(self):
        """The server's log so far, as [path, user agent] pairs."""
        return [line.split("\t") for line in read_text(self.log).splitlines()]

    def quick_click_ms(self, r, point, expected):
        """Clicks with xdotool's own press-and-release and returns the
        milliseconds from the release until a screenshot, taken back to
        back, shows `expected`: an upper bound, one screenshot (about 20 ms)
        above the truth at most."""
        r.move(*point)
        r.xvfb.run(["xdotool", "click", "1"])
        released = time.monotonic()
        deadline = released + 10
        while not matches(expected)(r.screenshot()):
            if time.monotonic() > deadline:
                r.wait_screen(matches(expected), timeout=0, what="the linked page")
        return round((time.monotonic() - released) * 1000)

    # -- journeys

    def test_follow_local_and_remote_links(self):
        r = self.start_at()
        b = self.shot("b.vek")
        ms = self.quick_click_ms(r, link_point(0), b)
        print("click-to-page: %d ms (local link)" % ms)
        # B's own link lies under the pointer: the one click must not follow it.
        time.sleep(0.3)
        winlib.assert_same(r.screenshot(), b, label="B-after-one-click")

        r.click(*BACK)
        self.expect(r, outline(self.shot("home.vek"), BACK_OUTLINE, BLACK), "home again")
        remote = outline(self.shot("REMOTE/r.vek"), BACK_OUTLINE, BLACK)
        ms = self.quick_click_ms(r, link_point(1), remote)
        print("click-to-page: %d ms (remote link)" % ms)
        self.assertIn(["/r.vek", "NUVA/3"], self.requests())

    def test_back_twice_and_home(self):
        r = self.start_at()
        r.click(*link_point(0))
        self.expect(r, self.shot("b.vek"), "page B")
        r.click(*BACK)
        self.expect(r, outline(self.shot("home.vek"), BACK_OUTLINE, BLACK), "back at home")
        r.click(*BACK)
        self.expect(r, outline(self.shot("b.vek"), BACK_OUTLINE, BLACK), "back again at B")
        r.click(*HOME)
        home = outline(outline(self.shot("home.vek"), BACK_OUTLINE, BLACK), HOME_OUTLINE, BLACK)
        self.expect(r, home, "the home page from the settings file")

    def test_set_home_writes_the_settings_file(self):
        r = self.start_at()
        ini = os.path.join(r.cwd, "SYS", "VEK.INI")
        r.click(*link_point(0))
        self.expect(r, self.shot("b.vek"), "page B")
        r.click(*SET_HOME)
        winlib.wait_until(lambda: open(ini, "rb").read() == b"b.vek\r\n", 5,
                          "SYS/VEK.INI holding b.vek and CR LF")
        self.expect(r, outline(self.shot("b.vek"), SET_HOME_OUTLINE, BLACK),
                    "page B with the set-home outline black")
        # Home now leads to B, not to the page the program started with.
        r.click(*BACK)
        r.click(*HOME)
        expected = self.shot("b.vek")
        for box in (BACK_OUTLINE, HOME_OUTLINE, SET_HOME_OUTLINE):
            outline(expected, box, BLACK)
        self.expect(r, expected, "the new home page B")
        with open(ini, "rb") as f:
            self.assertEqual(f.read(), b"b.vek\r\n")

    def test_typed_remote_location_and_go(self):
        r = self.start_at()
        r.click(*ADDRESS_BAR)
        r.key(*["BackSpace"] * len("home.vek"))
        r.type_text(self.location("REMOTE/r.vek"))
        r.click(*GO, hold=0.1)
        self.expect(r, self.shot("REMOTE/r.vek"), "the typed remote page after Go")

    def test_scroll_by_buttons_and_keys(self):
        r = self.start_at("long.vek")
        one, two = self.shot("--scroll", "16", "long.vek"), self.shot("--scroll", "32", "long.vek")
        # While the button is held the scroll-down outline is blue.
        r.move(*SCROLL_DOWN)
        r.press()
        try:
            self.expect(r, outline(self.shot("--scroll", "16", "long.vek"), SCROLL_DOWN_OUTLINE,
                                   LIGHT_BLUE), "one step down with the button highlighted")
        finally:
            r.release()
        self.expect(r, one, "one step down")
        r.click(*SCROLL_DOWN)
        self.expect(r, two, "two steps down, the page's end in the window")
        # At the end the button does nothing: no highlight, no redraw.
        r.move(*SCROLL_DOWN)
        r.press()
        time.sleep(0.2)
        held = r.screenshot()
        r.release()
        winlib.assert_same(held, two, label="scroll-down-at-end")
        r.click(*SCROLL_UP)
        self.expect(r, one, "one step back up by the button")
        r.key("Up")
        self.expect(r, self.shot("long.vek"), "the top by the Up key")
        r.key("Down", "Down")
        self.expect(r, two, "two steps down by the Down key")

    def test_timed_refresh_fires(self):
        r = self.start_at()
        r.click(*link_point(2))
        released = time.monotonic()
        self.expect(r, self.shot("refresh.vek"), "the refresh page")
        self.expect(r, self.shot("b.vek"), "the refresh's target", timeout=4)
        # The deadline is one whole second past the second the page was
        # rendered in, so the move takes more than one second.
        self.assertGreater(time.monotonic() - released, 0.9, "the refresh fired early")

    def test_space_cancels_timed_refresh(self):
        r = self.start_at()
        r.click(*link_point(3))
        released = time.monotonic()
        cancel = self.shot("cancel.vek")
        # Only a Space read after the render cancels; the page on screen
        # means the render is done, and the deadline is at least a second on.
        self.expect(r, cancel, "the page with a pending refresh")
        r.key("space")
        self.assertLess(time.monotonic() - released, 0.9, "too slow to beat the deadline")
        # The deadline is at most two seconds after the click: watch two more.
        deadline = released + 4
        while time.monotonic() < deadline:
            winlib.assert_same(r.screenshot(), cancel, label="cancelled-refresh")
            time.sleep(0.25)

    def test_download_keeps_scroll_position(self):
        r = self.start_at("long.vek")
        one = self.shot("--scroll", "16", "long.vek")
        r.key("Down")
        self.expect(r, one, "one step down")
        r.click(*link_point(DOWNLOAD_ROW - 16))
        saved = os.path.join(r.cwd, "x.bin")

        def downloaded():
            return os.path.exists(saved) and open(saved, "rb").read() == DOWNLOAD_BYTES
        winlib.wait_until(downloaded, 10, "x.bin with the served bytes")
        self.expect(r, one, "the page again at the same scroll position")
        self.assertIn(["/files/x.bin", "NUVA/3"], self.requests())
        self.assertFalse([n for n in os.listdir(r.cwd) if n.startswith("x.bin.")],
                         "the download claimed a second name")

    def test_form_submission_encodes_value(self):
        r = self.start_at()
        r.click(*link_point(5))
        self.expect(r, self.shot("form.vek"), "the form page")
        r.click(*FIELD)
        r.type_text(TYPED_VALUE)
        r.click(*ELSEWHERE)
        r.click(*SUBMIT)
        # The log is read before nuva-shot asks for the same page.
        winlib.wait_until(lambda: [ENCODED_QUERY, "NUVA/3"] in self.requests(), 10,
                          "the request %s from NUVA/3" % ENCODED_QUERY)
        self.assertEqual([q for q in self.requests() if q[0].startswith("/echo")],
                         [[ENCODED_QUERY, "NUVA/3"]], "submitted once")
        self.expect(r, self.shot("REMOTE" + ENCODED_QUERY), "the echo page")

    def test_close_request_leaves_window_then_escape_ends(self):
        r = self.start_at()
        r.click(*link_point(0))
        b = self.shot("b.vek")
        self.expect(r, b, "page B")
        r.send_close()
        time.sleep(0.3)
        self.assertTrue(r.alive(), "the program ended on a close request")
        self.assertTrue(r.window_exists(), "the window closed on a close request")
        winlib.assert_same(r.screenshot(), b, label="after-close-request")
        # The loop still runs: back works, and Escape held ends the program.
        r.click(*BACK)
        self.expect(r, outline(self.shot("home.vek"), BACK_OUTLINE, BLACK), "back at home")
        r.hold_key("Escape")
        self.assertEqual(r.wait_exit(5), 0, r.stderr())
        self.assertEqual(r.stderr(), "")


if __name__ == "__main__":
    winlib.main()
