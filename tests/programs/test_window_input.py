"""Keys and the mouse through the real window, checked on screen against
nuva-shot's pictures: scrolling keys, typing into the address bar, a quick
click, repainting after the window was unmapped, and no input while another
window is active."""
import os
import subprocess
import time

import winlib

LONG_PAGE = "\n".join(["#14", "_Second page>second.vek", "|"]
                      + ["#%d\n$Row %d of a long page\n|" % (1 + n % 15, n) for n in range(120)]) + "\n"
SECOND_PAGE = "#10\n$This is the second page.\n|\n=196\n:4\n#15\n$ white on red \n"
PAGES = {"home.vek": LONG_PAGE, "second.vek": SECOND_PAGE}
LINK = (20, 3)          # on "Second page", window row 0
ADDRESS_BAR = (100, 424)
GO = (358, 424)


class WindowInput(winlib.ProgramTest):
    def shot(self, *args):
        work = self.workdir(PAGES, ini="home.vek")
        out = os.path.join(work, "expected.png")
        done = subprocess.run([winlib.program("nuva-shot")] + list(args) + [out],
                              cwd=work, capture_output=True, timeout=30)
        self.assertEqual(done.returncode, 0, done.stderr)
        return winlib.read_png(out)

    def start_home(self):
        r = self.start((), self.workdir(PAGES, ini="home.vek"))
        r.wait_window()
        r.wait_screen(self.matches(self.shot("home.vek")), what="the home page")
        return r

    @staticmethod
    def matches(expected):
        return lambda image: not winlib.differences(image, expected, limit=1)

    def assert_stays(self, r, expected, seconds, what):
        """The screen matches now and still after `seconds`."""
        r.wait_screen(self.matches(expected), what=what)
        time.sleep(seconds)
        winlib.assert_same(r.screenshot(), expected, label=what.replace(" ", "-"))

    def test_arrow_keys_scroll_and_ctrl_arrow_does_not(self):
        r = self.start_home()
        one, two = self.shot("--scroll", "16", "home.vek"), self.shot("--scroll", "32", "home.vek")
        r.key("Down")
        r.wait_screen(self.matches(one), what="one scroll step down")
        r.key("shift+Down")  # Shift with a cursor key is the key alone
        r.wait_screen(self.matches(two), what="two scroll steps down")
        r.key("Up")
        r.wait_screen(self.matches(one), what="one step back up")
        # Ctrl+Down has a code of its own, which the loop ignores.
        r.key("ctrl+Down", "Up")
        self.assert_stays(r, self.shot("home.vek"), 0.3, "the top after ctrl+Down and Up")

    def test_typed_address_and_go_navigate(self):
        r = self.start_home()
        r.click(*ADDRESS_BAR)
        # Backspace empties the bar; Tab and an arrow key type nothing; "é"
        # arrives as code page 437 byte 130, which the box ignores too (as
        # it would not a "?" or an "e").
        r.key(*["BackSpace"] * len("home.vek"))
        r.type_text("s\u00e9econd.vekx")
        r.key("BackSpace", "Tab", "Left", "Return")
        r.click(*GO)
        r.wait_screen(self.matches(self.shot("second.vek")), what="the typed page after Go")

    def test_quick_click_follows_link(self):
        r = self.start_home()
        r.move(*LINK)
        # Press and release in one batch, faster than any poll.
        r.xvfb.run(["xdotool", "click", "1"])
        r.wait_screen(self.matches(self.shot("second.vek")), what="the linked page")

    def test_window_repaints_after_being_unmapped(self):
        r = self.start_home()
        expected = r.screenshot()
        r.xvfb.run(["xdotool", "windowunmap", "--sync", str(r.wid)])
        r.xvfb.run(["xdotool", "windowmap", "--sync", str(r.wid)])
        r.wait_screen(self.matches(expected), what="the page again after mapping")

    def test_no_input_while_another_window_is_active(self):
        r = self.start_home()
        home = r.screenshot()
        root = r.xvfb.run(["xwininfo", "-root", "-int"]).split("Window id: ")[1].split()[0]
        r.xvfb.run(["xdotool", "windowfocus", "--sync", root])
        r.move(*LINK)
        r.click(*LINK)
        r.hold_key("Escape")
        self.assert_stays(r, home, 0.3, "the home page while inactive")
        self.assertTrue(r.alive(), "Escape ended the program while its window was inactive")
        r.xvfb.run(["xdotool", "windowfocus", "--sync", str(r.wid)])
        r.click(*LINK)
        r.wait_screen(self.matches(self.shot("second.vek")), what="the linked page once active")
        r.hold_key("Escape")
        self.assertEqual(r.wait_exit(5), 0, r.stderr())


if __name__ == "__main__":
    winlib.main()
