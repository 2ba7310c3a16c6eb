"""The real window at start-up: the version option without a display, the
first screen pixel for pixel against nuva-shot in both sizes, a close
request that leaves the window open, and Escape ending the program."""
import os
import pty
import shutil
import subprocess
import tempfile
import termios
import time
import unittest

import winlib

HOME_PAGE = "\n".join([
    "#14", "$Start-up page", "|", "=", "#",
    "$Plain text in the page's colour, then ", "#12", "$red ", "#10", "$and green.",
    "|", ":1", "#15", "$ white on blue ", ":0", "#", "|", "=205", "",
])


class VersionWithoutDisplay(unittest.TestCase):
    def test_version_lines_without_display(self):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        # A touch of SDL would now fail loudly instead of falling back to
        # its invisible driver.
        env["SDL_VIDEODRIVER"] = "x11"
        for option in ("-VER", "-ver", "-Ver"):
            with self.subTest(option=option), tempfile.TemporaryDirectory() as empty:
                done = subprocess.run([winlib.program("nuva"), option], cwd=empty, env=env,
                                      stdin=subprocess.DEVNULL, capture_output=True, timeout=10)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertEqual(done.stderr, b"")
                lines = done.stdout.split(b"\r\n")
                self.assertEqual(len(lines), 4, done.stdout)
                self.assertEqual(lines[0], b"NUVA 3.0")
                self.assertEqual(lines[3], b"", "nothing may follow the third line")
                for line in lines[1:3]:
                    self.assertTrue(line and b"\n" not in line and b"\r" not in line, done.stdout)
                self.assertEqual(os.listdir(empty), [])


class ShotCommandLine(unittest.TestCase):
    """nuva-shot's own contract: one usage line and exit 2 for bad
    arguments, one message naming the file and exit 1 when it cannot
    write, and ROWS for --jump rounded down to a whole scroll step."""

    def run_shot(self, work, *args):
        return subprocess.run([winlib.program("nuva-shot")] + list(args), cwd=work,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=30)

    def test_bad_arguments_and_unwritable_output(self):
        work = winlib.prepare_dir({"home.vek": HOME_PAGE})
        self.addCleanup(shutil.rmtree, work, True)
        for args in ((), ("home.vek",), ("home.vek", "a.png", "b.png"), ("--scroll", "home.vek", "a.png"),
                     ("--scroll", "-16", "home.vek", "a.png"), ("--jump", "1x", "home.vek", "a.png"),
                     ("--scroll", "16", "--jump", "16", "home.vek", "a.png"), ("--bogus", "home.vek", "a.png")):
            with self.subTest(args=args):
                done = self.run_shot(work, *args)
                self.assertEqual(done.returncode, 2, done.stderr)
                self.assertEqual(done.stdout, b"")
                self.assertTrue(done.stderr.startswith(b"usage: nuva-shot "), done.stderr)
                self.assertEqual(done.stderr.count(b"\n"), 1, done.stderr)
        target = os.path.join(work, "no-such-dir", "out.png")
        done = self.run_shot(work, "home.vek", target)
        self.assertEqual(done.returncode, 1, done.stderr)
        message = done.stderr.decode()
        self.assertEqual(message.count("\n"), 1, message)
        self.assertEqual(message.count(target), 1, message)

    def test_jump_rounds_rows_down_to_a_scroll_step(self):
        page = "".join("$row %d\n|\n" % n for n in range(200))
        work = winlib.prepare_dir({"long.vek": page})
        self.addCleanup(shutil.rmtree, work, True)
        pictures = {}
        for rows in ("32", "47", "48"):
            done = self.run_shot(work, "--jump", rows, "long.vek", rows + ".png")
            self.assertEqual(done.returncode, 0, done.stderr)
            with open(os.path.join(work, rows + ".png"), "rb") as f:
                pictures[rows] = f.read()
        self.assertEqual(pictures["32"], pictures["47"])
        self.assertNotEqual(pictures["47"], pictures["48"])


def unused_display():
    n = 90
    while os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
        n += 1
    return ":%d" % n


class WithoutDisplay(unittest.TestCase):
    """No window can open: the program says so once and carries on, and
    Escape typed on its terminal still ends it."""

    def test_carries_on_and_escape_from_terminal_ends_it(self):
        base = {k: v for k, v in os.environ.items()
                if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        for env in (base, dict(base, DISPLAY=unused_display(), SDL_VIDEODRIVER="x11")):
            with self.subTest(display=env.get("DISPLAY")):
                self.run_without_window(env)

    def run_without_window(self, env):
        work = winlib.prepare_dir({"home.vek": HOME_PAGE}, ini="home.vek")
        master, terminal = pty.openpty()
        err = open(os.path.join(work, ".stderr"), "w+b")
        proc = subprocess.Popen([winlib.program("nuva")], cwd=work, env=env, stdin=terminal,
                                stdout=subprocess.DEVNULL, stderr=err)
        try:
            def said():
                err.seek(0)
                text = err.read().decode(errors="replace")
                return text if text.endswith("\n") else None
            text = winlib.wait_until(said, 10, "the message that no window opened")
            time.sleep(0.3)
            self.assertIsNone(proc.poll(), "the program stopped without a window")
            err.seek(0)
            lines = err.read().decode(errors="replace").splitlines()
            self.assertEqual(len(lines), 1, text)
            self.assertTrue(lines[0].startswith("nuva: cannot open a window: "), lines[0])
            os.write(master, b"\x1b")
            self.assertEqual(proc.wait(5), 0)
            flags = termios.tcgetattr(terminal)[3]
            self.assertTrue(flags & termios.ECHO and flags & termios.ICANON,
                            "the terminal was left without echo or line mode")
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
            err.close()
            os.close(master)
            os.close(terminal)
            shutil.rmtree(work, ignore_errors=True)


class FirstScreen(winlib.ProgramTest):
    def shot(self, args):
        """nuva-shot's picture of the home page in a directory like the
        program's own."""
        work = self.workdir({"home.vek": HOME_PAGE}, ini="home.vek")
        out = os.path.join(work, "expected.png")
        done = subprocess.run([winlib.program("nuva-shot")] + list(args) + ["home.vek", out],
                              cwd=work, capture_output=True, timeout=30)
        self.assertEqual(done.returncode, 0, done.stderr)
        return winlib.read_png(out)

    def test_window_shows_what_nuva_shot_draws(self):
        for args, size in (((), (495, 430)), (("-S",), (640, 480))):
            with self.subTest(args=args):
                expected = self.shot(args)
                self.assertEqual((expected.width, expected.height), size)
                r = self.start(args, self.workdir({"home.vek": HOME_PAGE}, ini="home.vek"))
                r.wait_window()
                geometry = self.xvfb.run(["xdotool", "getwindowgeometry", str(r.wid)])
                self.assertIn("Geometry: %dx%d" % size, geometry)
                self.assertIn("Position: %d,%d" % winlib.CLIENT_ORIGIN[size], geometry)
                # The window may map before the first rows are copied to it.
                r.wait_screen(lambda img: not winlib.differences(img, expected, limit=1),
                              timeout=5, what="the home page as nuva-shot draws it")
                self.assertEqual(r.stderr(), "")
                r.close()

    def test_close_request_leaves_window_open(self):
        r = self.start((), self.workdir({"home.vek": HOME_PAGE}, ini="home.vek"))
        r.wait_window()
        r.send_close()
        time.sleep(0.5)
        self.assertTrue(r.alive(), "the program ended on a close request")
        self.assertTrue(r.window_exists(), "the window closed on a close request")
        # The request only queued a key the loop ignores: Escape still ends it.
        r.hold_key("Escape")
        self.assertEqual(r.wait_exit(5), 0)

    def test_escape_held_ends_program(self):
        r = self.start((), self.workdir({"home.vek": HOME_PAGE}, ini="home.vek"))
        r.wait_window()
        r.hold_key("Escape", 0.1)
        self.assertEqual(r.wait_exit(5), 0, "Escape did not end the program")
        self.assertEqual(r.stderr(), "")


if __name__ == "__main__":
    winlib.main()
