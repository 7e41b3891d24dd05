#!/usr/bin/env python3
"""Plays the native tavek-pin as a person would, through X input (xdotool), and
reads its window as a screen reader does, through AT-SPI. Needs a display and
the screen-reader bus (tools/with-display.sh --reader); GDK_DPI_SCALE sets the
font resolution the run is for.

    play_gtk.py TAVEK_PIN [unittest arguments]
"""
import os
import re
import signal
import subprocess
import sys
import time
import unittest
import warnings

import pyatspi
from Xlib import X, display as xdisplay, protocol

warnings.filterwarnings("ignore", category=DeprecationWarning)  # pyatspi's own use of older names
GAME = None
TITLE = "Tavek PIN Program Ver. 0.11"
DISPLAY_DPI = round(96 * float(os.environ.get("GDK_DPI_SCALE") or 1))
SCREEN = [int(n) for n in os.environ.get("TAVEK_SCREEN", "1280x1024").split("x")[:2]]
BUTTON, LABEL, TEXT, PANEL, SCROLLED = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_LABEL, pyatspi.ROLE_TEXT,
                                        pyatspi.ROLE_PANEL, pyatspi.ROLE_SCROLL_PANE)
# name, role, x, y, width, height, text (None: no text to read), in the window's order
CONTROLS = [
    ("OK", BUTTON, 110, 140, 50, 30, None),
    ("Enter 4 Digit  PIN", LABEL, 70, 30, 140, 50, "Enter 4 Digit  PIN"),
    ("Enter 4 Digit  PIN", TEXT, 90, 90, 90, 40, ""),
    ("", PANEL, 30, 20, 220, 240, None),
    ("Strikes", TEXT, 70, 210, 50, 40, " 0"),
    ("Balls", TEXT, 160, 210, 50, 40, " 0"),
    ("Strikes", LABEL, 70, 190, 60, 20, "Strikes"),
    ("Balls", LABEL, 160, 190, 50, 20, "Balls"),
    ("Message", LABEL, 350, 230, 190, 40, ""),
    ("Results", SCROLLED, 270, 30, 358, 185, None),
    ("About", BUTTON, 550, 230, 80, 40, None),
]
OK, GUESS, STRIKES, BALLS, MESSAGE, DISPLAY, ABOUT = 0, 2, 4, 5, 8, 9, 10


def at_dpi(length, dpi=None):
    return (length * (dpi or DPI) + 48) // 96


# The window's scale: the display's, lowered only as far as the screen needs to hold it, never below 96.
DPI = next((d for d in range(DISPLAY_DPI, 96, -1) if at_dpi(660, d) <= SCREEN[0] and at_dpi(300, d) <= SCREEN[1]), 96)
# The fonts at the display's scale, by control: face and points.
FONTS = {1: ("Times New Roman", 12), 2: ("Arial", 18), STRIKES: ("Arial", 18), 6: ("Arial Rounded MT Bold", 9)}


def text_of(accessible):
    return accessible.queryText().getText(0, -1)


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "30", *keys], check=True)


class Game:
    def __init__(self):
        # The screen reader's registry runs before the program starts, so that it learns of the program.
        pyatspi.Registry.getDesktop(0).childCount
        self.process = subprocess.Popen([GAME])
        self.frame = self.wait_for(self.find_frame, "the main window")
        self.controls = self.wait_for(self.find_controls, "its eleven controls")

    def find_frame(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return next((w for w in app if w.name == TITLE and w.getState().contains(pyatspi.STATE_SHOWING)), None)
        return None

    def find_controls(self):
        panel = self.frame[0]
        controls = [panel[i] for i in range(panel.childCount)]
        # Laid out: a control not yet given its place reports a 1×1 box far off the screen.
        if len(controls) != 11 or any(c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).width <= 1
                                      for c in controls):
            return None
        # The display's text view is inside its scroll pane.
        return [c if c.getRole() != SCROLLED else c[0] for c in controls]

    def wait_for(self, probe, what, timeout=60.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise AssertionError(f"the game ended ({self.process.returncode}) while waiting for {what}")
            try:
                result = probe()
                if result:
                    return result
            except Exception:  # the tree is still being built
                pass
            time.sleep(0.05)
        raise AssertionError(f"timed out waiting for {what}")

    def text(self, index):
        return text_of(self.controls[index])

    def wait_text(self, index, wanted, what):
        self.wait_for(lambda: wanted(self.text(index)), what)
        return self.text(index)

    def click(self, index):
        extents = self.controls[index].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(extents.x + extents.width // 2),
                        str(extents.y + extents.height // 2), "click", "1"], check=True)

    def guess(self, digits):
        subprocess.run(["xdotool", "type", "--delay", "30", digits], check=True)
        self.wait_text(GUESS, lambda t: t.endswith(digits[-4:]), f"{digits} typed")
        key("Return")
        self.wait_text(GUESS, lambda t: t == "", f"{digits} judged")

    def focused(self):
        return [i for i, c in enumerate(self.controls) if c.getState().contains(pyatspi.STATE_FOCUSED)]

    def picture(self, accessible):
        e = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return subprocess.run(["import", "-window", "root", "-crop", f"{e.width}x{e.height}+{e.x}+{e.y}", "png:-"],
                              check=True, capture_output=True).stdout

    def screenshot(self, name, repainted=None):
        """The window as it stands, beside the program: screenshots/gtk-<dpi>dpi-<name>.png. Taken once the
        control `repainted` (an index) looks other than it did in the picture `before`, and two pictures of
        the window in a row are alike."""
        if repainted is not None:
            index, before = repainted
            self.wait_for(lambda: self.picture(self.controls[index]) != before, "the control repainted")
        pictures = [self.picture(self.frame)]
        self.wait_for(lambda: pictures.append(self.picture(self.frame)) or pictures[-1] == pictures[-2], "painted")
        folder = os.path.join(os.path.dirname(os.path.abspath(GAME)), "screenshots")
        os.makedirs(folder, exist_ok=True)
        run = "-".join([f"{DISPLAY_DPI}dpi"] + ["%dx%d" % tuple(SCREEN)] * (SCREEN != [1280, 1024]) +
                       [os.environ.get("LC_ALL", "")] * bool(os.environ.get("LC_ALL")))
        with open(os.path.join(folder, f"gtk-{run}-{name}.png"), "wb") as picture:
            picture.write(pictures[-1])

    def close_box(self):
        """What a window manager sends when the player clicks the close box."""
        x = xdisplay.Display()
        for window in x.screen().root.query_tree().children:
            if window.get_wm_name() == TITLE:
                atom = x.intern_atom
                data = (32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])
                window.send_event(protocol.event.ClientMessage(window=window, client_type=atom("WM_PROTOCOLS"),
                                                               data=data))
        x.flush()
        x.close()

    def stop(self):
        # A game that ended by itself ended well (a GLib warning or critical ends it with a signal).
        if self.process.poll() is not None:
            assert self.process.returncode == 0, f"the game ended with {self.process.returncode}"
        self.process.kill()
        self.process.wait(timeout=20)


class Play(unittest.TestCase):
    def setUp(self):
        self.game = Game()
        self.addCleanup(self.game.stop)

    def assert_fits(self, control, lines=1):
        """Every character of the control's text lies inside it, on as many lines as the text has."""
        box = control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        text = control.queryText()
        chars = [text.getCharacterExtents(i, pyatspi.DESKTOP_COORDS) for i in range(text.characterCount)
                 if text.getText(i, i + 1) not in "\r\n"]
        outside = [c for c in chars if c[0] < box.x or c[0] + c[2] > box.x + box.width or c[1] < box.y
                   or c[1] + c[3] > box.y + box.height]
        self.assertEqual((outside, len({c[1] for c in chars})), ([], lines if chars else 0), text_of(control))

    def test_layout_names_and_texts(self):
        g = self.game
        frame = g.frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.assertEqual((frame.x, frame.y, frame.width, frame.height),
                         (min(at_dpi(216, DISPLAY_DPI), SCREEN[0] - at_dpi(660)), 0, at_dpi(660), at_dpi(300)))
        panel = g.frame[0]
        print(f"\n{g.frame.getRoleName()} {g.frame.name!r}")
        for i, (name, role, x, y, width, height, text) in enumerate(CONTROLS):
            with self.subTest(control=i):
                c = panel[i]
                spoken = c.name if role != SCROLLED else c[0].name
                e = c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                self.assertEqual((spoken, c.getRole()), (name, role))
                self.assertEqual((e.x - frame.x, e.y, e.width, e.height), tuple(map(at_dpi, (x, y, width, height))))
                if text is not None:
                    self.assertEqual(text_of(c), text)
                    self.assert_fits(g.controls[i])
                if i in FONTS and DPI == DISPLAY_DPI:  # in any language: a style sheet GTK could not read drops them
                    attributes = dict(a.split(":", 1) for a in g.controls[i].queryText().getAttributeRun(0, True)[0])
                    self.assertEqual((attributes["family-name"], attributes["size"]), (FONTS[i][0], str(FONTS[i][1])))
                print(f"  {c.getRoleName()} {spoken!r} value={text_of(g.controls[i]) if text is not None else ''!r}"
                      f" description={c.description!r}")
        self.assertEqual(g.focused(), [], "a control took the focus before any input")
        self.assertFalse(panel[DISPLAY].getState().contains(pyatspi.STATE_FOCUSABLE), "the focus goes to its text")
        self.assertEqual(g.controls[STRIKES].description, "Max. Stikes Counted is 9 - Watch for Hint")
        self.assertEqual(g.controls[BALLS].description, "Max. Balls Counted is 99")
        # Waiting costs nothing: no timer, no blink while no field has the focus.
        def ticks():
            with open(f"/proc/{g.process.pid}/stat") as stat:
                return sum(map(int, stat.read().rsplit(")", 1)[1].split()[11:13]))
        def idle():  # at most a tick (10 ms) of CPU in two seconds; the start's work may still end first
            before = ticks()
            time.sleep(2)
            return ticks() - before <= 1
        g.wait_for(idle, "no CPU used while waiting", timeout=40)
        g.click(GUESS)
        subprocess.run(["xdotool", "type", "12"], check=True)
        g.wait_text(GUESS, lambda t: t == "12", "digits typed")
        blank = g.picture(g.controls[DISPLAY])
        g.click(ABOUT)
        about = g.wait_text(DISPLAY, lambda t: t.endswith("Instructions: Have Fun With It"), "the About text")
        self.assertEqual(len(re.split(r"\r\n|\n", about)), 7)
        family = dict(a.split(":", 1) for a in g.controls[DISPLAY].queryText().getAttributeRun(1, True)[0])
        self.assertEqual(family.get("family-name"), "Courier New", "the About text in fixed pitch")
        self.assert_fits(g.controls[DISPLAY], lines=6)  # the seventh is empty
        g.screenshot("about", repainted=(DISPLAY, blank))

    def test_misses_hint_and_win(self):
        g = self.game
        g.click(GUESS)
        subprocess.run(["xdotool", "type", "--delay", "30", "a1b2c"], check=True)
        g.wait_text(GUESS, lambda t: t == "12", "digits only")
        key("Return")
        time.sleep(0.3)  # nothing is expected to change; a wrong reaction would show in this time
        self.assertEqual((g.text(GUESS), g.text(MESSAGE), g.text(DISPLAY)), ("12", "", ""))
        key("BackSpace", "BackSpace")
        present, absent = [], []
        for digit in "0123456789":
            g.guess(digit * 4)
            top = re.split(r"\r\n|\n", g.text(DISPLAY))[0]
            (present if top.startswith("* Ball: ") else absent).append(digit)
            self.assertIn(top, (f"* Ball: {digit * 4} has at least one correct digit",
                                f"* Strike: {digit * 4} has no correct digits"))
        self.assertEqual(g.text(BALLS), f" {len(present)}")
        self.assertEqual(g.text(MESSAGE), "YOU CHOSE POORLY")
        for _ in range(10 - len(absent)):
            g.guess(absent[0] * 4)
        self.assertEqual(g.text(STRIKES), " #")
        hint = g.text(MESSAGE)
        self.assertRegex(hint, r"^  Hint: \d{4}$")
        self.assertEqual(g.controls[MESSAGE].name, hint, "its name no longer hides its text")
        g.screenshot("hint")
        g.guess("12" + hint[-4:])  # six digits: the last four count
        g.wait_text(MESSAGE, lambda t: t == "Enter Another PIN", "the win")
        self.assertEqual((g.text(STRIKES), g.text(BALLS)), (" 0", " 0"))
        joke = g.text(DISPLAY)
        self.assertTrue(joke.startswith(" ") and "* " not in joke, joke)
        g.screenshot("joke")
        # The master code by the OK button; the next digit typed clears the joke.
        subprocess.run(["xdotool", "type", "6157"], check=True)
        g.wait_text(GUESS, lambda t: t == "6157", "the master code typed")
        g.click(OK)
        g.wait_text(GUESS, lambda t: t == "", "the master code judged")
        self.assertEqual(g.text(MESSAGE), "Enter Another PIN")
        g.click(GUESS)
        g.wait_text(DISPLAY, lambda t: t == "", "the joke cleared by the guess field")

    def test_text_size_changed_while_playing(self):
        """GNOME's large text changes XSETTINGS' Xft/DPI: the window is laid out again, as at a start there."""
        g, conf = self.game, os.path.join(os.path.dirname(os.path.abspath(GAME)), "xsettingsd.conf")
        for step, xft in enumerate((96, 144, 96)):
            with open(conf, "w") as settings:
                settings.write(f"Xft/DPI {xft * 1024}\n")
            if step == 1:  # the daemon starts with the new size; then it reads its settings again
                daemon = subprocess.Popen(["xsettingsd", "-c", conf], stderr=subprocess.DEVNULL)
                self.addCleanup(daemon.kill)
            elif step == 2:
                daemon.send_signal(signal.SIGHUP)
            dpi = round(xft * DISPLAY_DPI / 96)
            g.wait_for(lambda: [g.controls[GUESS].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)[2:],
                                g.frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)[2:]]
                       == [[at_dpi(90, dpi), at_dpi(40, dpi)], [at_dpi(660, dpi), at_dpi(300, dpi)]] and
                       all(f"size:{FONTS[c][1]}" in g.controls[c].queryText().getAttributeRun(0, True)[0]
                           for c in FONTS), f"the window and its fonts at {xft} dpi")
            for control in (1, STRIKES, 6):
                self.assert_fits(g.controls[control])
            g.screenshot(f"text-size-{xft}")

    def test_tab_order_and_close(self):
        g = self.game
        g.click(GUESS)
        for keys, order in (("Tab", [STRIKES, BALLS, DISPLAY, ABOUT, OK, GUESS]),
                            ("shift+Tab", [OK, ABOUT, DISPLAY, BALLS, STRIKES, GUESS])):
            for expected in order:
                key(keys)
                g.wait_for(lambda: g.focused() == [expected], f"{keys} to control {expected}")
        g.close_box()
        self.assertEqual(g.process.wait(timeout=30), 0)


class NoDisplay(unittest.TestCase):
    def test_the_player_is_told_which_displays_were_looked_for(self):
        environment = {k: v for k, v in os.environ.items() if k != "DISPLAY"} | {"WAYLAND_DISPLAY": "wayland-77"}
        ended = subprocess.run([GAME], env=environment, capture_output=True, text=True, timeout=60)
        self.assertEqual((ended.returncode, ended.stderr.splitlines()[0]),  # the sanitizers may add lines of theirs
                         (1, "tavek-pin: no display to show the window on (WAYLAND_DISPLAY=wayland-77, DISPLAY=)"))


if __name__ == "__main__":
    GAME = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v", *sys.argv[2:]])
