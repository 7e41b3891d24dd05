#!/usr/bin/env python3
"""Plays the real tavek-pin.exe as a person would: X input through xdotool
(clicks, typing, Enter, Tab, Alt+F4) and the screen read back from outside by
the probe program. Needs DISPLAY and the Wine environment (tools/with-wine-env.sh).

    play_test.py GAME_EXE PROBE_EXE [unittest arguments]
"""
import os
import re
import subprocess
import sys
import time
import unittest

GAME = PROBE = None
TITLE = "Tavek PIN Program Ver. 0.11"
OK, PROMPT, GUESS, FRAME, STRIKES, BALLS = 0, 1, 2, 3, 4, 5
STRIKES_LABEL, BALLS_LABEL, DISPLAY, MESSAGE, ABOUT = 6, 7, 9, 10, 11
FIELD = re.compile(r"(\w+)=(\S*)")
# The display's scale the run was started for (TAVEK_LOGPIXELS, tools/wine-env.sh),
# never below 96: the layout's numbers are units of 1/96 inch, placed at it.
SCALE = max(96, int(os.environ.get("TAVEK_LOGPIXELS") or 96))


def at_scale(length):
    """A length of 1/96 inch units in pixels at SCALE, to the nearest pixel."""
    return (length * SCALE + 48) // 96


def unescape(text):
    return re.sub(r"\\(x[0-9a-f]{2}|.)",
                  lambda m: {"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}.get(m.group(1), None)
                  or chr(int(m.group(1)[1:], 16)), text)


def parse(output):
    state = {"window": None, "controls": {}}
    for line in output.splitlines():
        head, _, text = line.partition(" text=")
        fields = dict(FIELD.findall(head))
        for key, value in fields.items():
            if key != "style" and re.fullmatch(r"-?\d+", value):
                fields[key] = int(value)
        fields["text"] = unescape(text)
        if line.startswith("window "):
            state["window"] = fields
        elif line.startswith("control "):
            state["controls"][fields["id"]] = fields
        elif line.startswith("spoken "):  # role, name, value read, then the platform's own; "\x7f": none
            v = [None if field == "\x7f" else unescape(field) for field in line.split("\t")]
            state["controls"][int(v[0][7:])].update(role=int(v[1]), name=v[2], value=v[3], platform=(int(v[4]), *v[5:]))
    return state


def lines_of(text):
    """The display's lines; the rich-text control may end lines with \\r or \\r\\n."""
    return re.split(r"\r\n|\r|\n", text)


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


class Game:
    def __init__(self):
        self.process = subprocess.Popen(["wine", GAME], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait_for(lambda s: s["window"] is not None and len(s["controls"]) == 11, what="the main window")

    def state(self):
        result = subprocess.run(["wine", PROBE, TITLE], capture_output=True, text=True, errors="replace")
        return parse(result.stdout) if result.returncode == 0 else {"window": None, "controls": {}}

    def text(self, gadget):
        return self.state()["controls"][gadget]["text"]

    def wait_for(self, predicate, what, timeout=20.0):
        deadline = time.monotonic() + timeout
        state = None
        while time.monotonic() < deadline:
            state = self.state()
            try:
                if predicate(state):
                    return state
            except (KeyError, TypeError, IndexError):
                pass
            time.sleep(0.05)
        raise AssertionError(f"timed out waiting for {what}; last state: {state}")

    def click(self, gadget):
        c = self.state()["controls"][gadget]
        xdotool("mousemove", str(c["sx"] + c["w"] // 2), str(c["sy"] + c["h"] // 2), "click", "1")

    def focus_guess(self):
        self.click(GUESS)
        self.wait_for(lambda s: s["controls"][GUESS]["focus"] == 1, "focus in the guess field")

    def type(self, text):
        xdotool("type", "--delay", "40", text)

    def key(self, *keys):
        xdotool("key", "--delay", "40", *keys)

    def guess(self, digits):
        """Types a guess into the focused guess field and submits it with Enter."""
        self.type(digits)
        self.wait_for(lambda s: s["controls"][GUESS]["text"].endswith(digits[-4:]), f"the guess {digits} typed")
        self.key("Return")
        self.wait_for(lambda s: s["controls"][GUESS]["text"] == "", f"the guess {digits} judged")

    def screenshot(self, name):
        """Saves the window as it stands, for a person to look at, beside the game's
        program: screenshots/<Wine version>-<dots per inch>dpi-<name>.png."""
        w = self.state()["window"]
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.split()[0]
        folder = os.path.join(os.path.dirname(os.path.abspath(GAME)), "screenshots")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, f"{wine}-{SCALE}dpi-{name}.png")
        subprocess.run(["import", "-window", "root", "-crop", f"{w['w']}x{w['h']}+{w['x']}+{w['y']}", path],
                       check=True)
        return path

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=20)


class Play(unittest.TestCase):
    def setUp(self):
        self.game = Game()
        self.addCleanup(self.game.close)

    def display_lines(self):
        text = self.game.text(DISPLAY)
        return [line for line in lines_of(text) if line] if text else []

    def test_layout_and_texts_at_start(self):
        s = self.game.state()
        w = s["window"]
        self.assertEqual(w["text"], TITLE)
        self.assertEqual(w["dpi"], SCALE, "the program is not aware of the display's scale: the platform stretches it")
        self.assertEqual((w["cw"], w["ch"]), (at_scale(660), at_scale(300)))
        self.assertEqual((w["x"], w["y"]), (at_scale(216), 0))
        expected = [  # number, class prefix, x, y, width, height, text
            (OK, "Button", 110, 140, 50, 30, "OK"),
            (PROMPT, "Static", 70, 30, 140, 50, "Enter 4 Digit  PIN"),
            (GUESS, "Edit", 90, 90, 90, 40, ""),
            (FRAME, "Button", 30, 20, 220, 240, ""),
            (STRIKES, "Edit", 70, 210, 50, 40, " 0"),
            (BALLS, "Edit", 160, 210, 50, 40, " 0"),
            (STRIKES_LABEL, "Static", 70, 190, 60, 20, "Strikes"),
            (BALLS_LABEL, "Static", 160, 190, 50, 20, "Balls"),
            (MESSAGE, "Static", 350, 230, 190, 40, ""),
            (DISPLAY, "RichEdit", 270, 30, 358, 185, ""),
            (ABOUT, "Button", 550, 230, 80, 40, "About"),
        ]
        for number, cls, x, y, width, height, text in expected:
            with self.subTest(gadget=number):
                c = s["controls"][number]
                self.assertTrue(c["class"].startswith(cls), c["class"])
                self.assertEqual((c["x"], c["y"], c["w"], c["h"]), tuple(map(at_scale, (x, y, width, height))))
                self.assertEqual(c["text"], text)
                self.assertEqual(c["visible"], 1)
        spoken = {  # role (42: an edit field), name and value read; None, and every other gadget: the platform's own
            GUESS: (42, "Enter 4 Digit  PIN", ""), STRIKES: (42, "Strikes", " 0"), BALLS: (42, "Balls", " 0"),
            MESSAGE: (None, "Message", "text"), DISPLAY: (None, "Results", "text")}  # their text as their value
        for number, c in s["controls"].items():
            if spoken.get(number, (None,) * 3)[2] == "text":
                spoken[number] = (*spoken[number][:2], c["text"])
            expected = tuple(p if e is None else e for e, p in zip(spoken.get(number, (None,) * 3), c["platform"]))
            self.assertEqual((c["role"], c["name"], c["value"]), expected, f"gadget {number}")
        style = {n: int(c["style"], 16) for n, c in s["controls"].items()}
        self.assertTrue(style[GUESS] & 0x2000, "the guess field takes digits only")
        for n in (STRIKES, BALLS, DISPLAY):
            self.assertTrue(style[n] & 0x800, f"gadget {n} is read-only")
        # Digits in the guess field and the About text in the display, for a person to look at.
        g = self.game
        g.focus_guess()
        g.type("12")
        g.click(ABOUT)
        g.wait_for(lambda st: st["controls"][DISPLAY]["text"] != "" and st["controls"][GUESS]["text"] == "12",
                   "the About text beside the digits")
        g.screenshot("about")

    def test_letters_refused_and_short_guess_judged_nothing(self):
        g = self.game
        g.focus_guess()
        g.type("a1b2c3")
        g.wait_for(lambda s: s["controls"][GUESS]["text"] == "123", "digits only in the field")
        g.key("Return")
        g.click(OK)
        time.sleep(0.3)  # nothing is expected to change; give a wrong reaction time to show
        s = g.state()["controls"]
        self.assertEqual(s[GUESS]["text"], "123")
        self.assertEqual((s[STRIKES]["text"], s[BALLS]["text"], s[MESSAGE]["text"]), (" 0", " 0", ""))
        self.assertEqual(s[DISPLAY]["text"], "")

    def test_misses_hint_and_win_with_six_digits(self):
        g = self.game
        g.focus_guess()
        balls = strikes = 0
        present, absent = [], []
        for digit in "0123456789":
            g.guess(digit * 4)
            top = self.display_lines()[0]
            if top.startswith("* Ball: "):
                balls += 1
                present.append(digit)
                self.assertEqual(top, f"* Ball: {digit * 4} has at least one correct digit")
            else:
                strikes += 1
                absent.append(digit)
                self.assertEqual(top, f"* Strike: {digit * 4} has no correct digits")
            s = g.state()["controls"]
            self.assertEqual(s[BALLS]["text"], f" {balls}")
            self.assertEqual(s[STRIKES]["text"], " #" if strikes >= 10 else f" {strikes}")
            self.assertEqual([s[n]["name"] for n in (STRIKES, BALLS, MESSAGE, DISPLAY)],
                             ["Strikes", "Balls", s[MESSAGE]["text"], top], "spoken after a miss: the newest text written")
            self.assertEqual(len(self.display_lines()), balls + strikes, "one line per miss")
        self.assertTrue(1 <= len(present) <= 4)
        while strikes < 10:
            g.guess(absent[0] * 4)
            strikes += 1
        s = g.state()["controls"]
        self.assertEqual(s[STRIKES]["text"], " #")
        hint = s[MESSAGE]["text"]
        self.assertRegex(hint, r"^  Hint: \d{4}$")
        pin = hint[-4:]
        self.assertEqual(sorted(set(pin)), sorted(present))
        g.type("12" + pin)  # six digits: only the last four count
        g.wait_for(lambda st: st["controls"][GUESS]["text"] == "12" + pin, "six digits typed")
        g.key("Return")
        s = g.wait_for(lambda st: st["controls"][MESSAGE]["text"] == "Enter Another PIN", "the win")["controls"]
        self.assertEqual((s[STRIKES]["text"], s[BALLS]["text"], s[GUESS]["text"]), (" 0", " 0", ""))
        self.assertEqual([s[n]["name"] for n in (STRIKES, BALLS)], ["Strikes", "Balls"], "spoken after the win")
        joke = s[DISPLAY]["text"]
        self.assertTrue(joke.startswith(" ") and "* " not in joke, joke)
        # The focus stayed in the guess field: the next digit typed there clears the joke.
        g.type("7")
        g.wait_for(lambda st: st["controls"][DISPLAY]["text"] == "", "the joke cleared by typing")

    def test_master_code_wins_by_ok_and_a_click_into_the_field_clears_the_joke(self):
        g = self.game
        g.focus_guess()
        g.type("6157")
        g.wait_for(lambda s: s["controls"][GUESS]["text"] == "6157", "typed")
        g.click(OK)  # the focus goes to the button
        s = g.wait_for(lambda st: st["controls"][MESSAGE]["text"] == "Enter Another PIN", "the win")["controls"]
        self.assertNotEqual(s[DISPLAY]["text"], "")
        self.assertEqual((s[STRIKES]["text"], s[BALLS]["text"], s[GUESS]["text"]), (" 0", " 0", ""))
        time.sleep(0.3)  # the joke must stay while nothing happens in the guess field
        self.assertNotEqual(g.text(DISPLAY), "")
        g.focus_guess()
        g.wait_for(lambda st: st["controls"][DISPLAY]["text"] == "", "the joke cleared by the click")
        g.guess("0000")
        s = g.state()["controls"]
        if s[MESSAGE]["text"] != "Enter Another PIN":  # unless 0000 is the new PIN
            self.assertIn((s[STRIKES]["text"], s[BALLS]["text"]), [(" 1", " 0"), (" 0", " 1")])

    def test_about_then_miss_starts_from_empty_display(self):
        g = self.game
        g.click(ABOUT)
        s = g.wait_for(lambda st: st["controls"][DISPLAY]["text"] != "", "the About text")["controls"]
        about = lines_of(s[DISPLAY]["text"])
        self.assertEqual(len(about), 7)
        self.assertEqual(about[5], "")
        self.assertEqual(about[6], " Instructions: Have Fun With It")
        g.focus_guess()
        g.wait_for(lambda st: st["controls"][DISPLAY]["text"] == "", "the About text cleared")
        g.guess("0000")
        self.assertEqual(len(self.display_lines()), 1)

    def test_ok_by_mouse_judges_once(self):
        g = self.game
        g.focus_guess()
        g.type("1234")
        g.wait_for(lambda s: s["controls"][GUESS]["text"] == "1234", "typed")
        g.click(OK)
        s = g.wait_for(lambda st: st["controls"][GUESS]["text"] == "", "judged")["controls"]
        time.sleep(0.3)
        s = g.state()["controls"]
        counts = (s[STRIKES]["text"], s[BALLS]["text"])
        if s[MESSAGE]["text"] == "Enter Another PIN":
            self.assertEqual(counts, (" 0", " 0"))  # 1234 happened to be the PIN
        else:
            self.assertIn(counts, [(" 1", " 0"), (" 0", " 1")])
            self.assertEqual(len(self.display_lines()), 1)

    def focused(self, state):
        return [n for n, c in state["controls"].items() if c["focus"]]

    def walk_focus(self, key, steps):
        """Presses key steps times; after each press waits for the focus to move on."""
        order = []
        current = self.focused(self.game.state())
        for _ in range(steps):
            self.game.key(key)
            state = self.game.wait_for(lambda st: self.focused(st) not in ([], current), f"{key} moving the focus")
            current = self.focused(state)
            order.append(current[0])
        return order

    def test_tab_and_shift_tab_order_from_the_guess_field(self):
        self.game.focus_guess()
        self.assertEqual(self.walk_focus("Tab", 6), [STRIKES, BALLS, DISPLAY, ABOUT, OK, GUESS])
        self.assertEqual(self.walk_focus("shift+Tab", 6), [OK, ABOUT, DISPLAY, BALLS, STRIKES, GUESS])

    def test_alt_f4_ends_with_exit_code_zero(self):
        g = self.game
        g.focus_guess()
        g.key("alt+F4")
        self.assertEqual(g.process.wait(timeout=20), 0)

    def test_many_close_requests_end_once_with_exit_code_zero(self):
        g = self.game
        subprocess.run(["wine", PROBE, "--post-close", "25"], check=True)
        self.assertEqual(g.process.wait(timeout=20), 0)


if __name__ == "__main__":
    GAME, PROBE = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0], "-v", *sys.argv[3:]])
