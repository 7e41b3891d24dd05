#!/usr/bin/env python3
"""Plays the native tavek-pin by keyboard under Orca (tools/with-orca.py) and checks, key by key, what
Orca says and that all of it reaches the synthesizer: speech_gtk.py TAVEK_PIN"""
import os
import re
import subprocess
import sys
import time
import unittest

SHIFT, BUTTON, READ_ONLY = r"(left )?shift", r"(push )?button\.?", r",? read[- ]only,? text\.?"
ABOUT, OK, DISPLAY, GUESS = "About " + BUTTON, "OK " + BUTTON, "Results" + READ_ONLY, r"Enter 4 Digit PIN text\.?"
ORCA, HEARD = (r"SPEECH OUTPUT: '(.*?)'\s*(?:\[?\{[^\n]*)?\n", "TAVEK_ORCA_LOG"), (r"([^\n]*)\n", "TAVEK_SPEECH_LOG")
# (keys, what Orca says after the last of them): each key before it says its own name.
START = [
    ("shift+Tab", SHIFT, ABOUT),
    ("space", "space", r"Written by the Tavek team, 2026 Free to play.* Instructions: Have Fun With It"),
    ("shift+Tab", SHIFT, DISPLAY, r"Written by the Tavek team, 2026\.?"),  # the caret at the top
    ("Tab", "tab", ABOUT),  # the text it told is its description no more
    ("Tab", "tab", OK),
    ("Tab", "tab", GUESS),
    ("6 1 5 7 Return", "return", r"(?!\* ).+", "Enter Another PIN"),  # the master code wins: a joke
]


def said(pattern, log):
    with open(os.environ[log]) as lines:
        return [" ".join(s.split()) for s in re.findall(pattern, lines.read(), re.S)]


class Speech(unittest.TestCase):
    def say(self, keys, *expected):
        *typed, last = keys.split() if isinstance(keys, str) else [keys]
        for key in typed:
            self.say(key, key)
        before = len(said(*ORCA)), len(said(*HEARD))
        subprocess.run(["xdotool", *(last if isinstance(last, list) else ["key", last])], check=True)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            got = said(*ORCA)[before[0]:], " ".join(said(*HEARD)[before[1]:])
            # All of it heard, whole; only a Tab's echo may be cut off by the control it moves the focus to.
            whole = got[1] in (" ".join(got[0]), " ".join(got[0][1:] if "Tab" in str(last) else got[0]))
            if len(got[0]) >= len(expected) and whole:
                break
            time.sleep(0.05)
        self.assertTrue(whole and len(got[0]) == len(expected) and all(map(re.fullmatch, expected, got[0])),
                        (keys, got))
        return got[0]

    def test_results_are_spoken_where_the_focus_stays(self):
        self.addCleanup(subprocess.Popen([sys.argv[1]]).kill)
        self.say([*"search --sync --onlyvisible --name Tavek windowfocus --sync".split(),  # then a click on OK
                  *"mousemove --window %1 135 155 click 1".split()], r"Tavek PIN Program Ver\. 0\.11( frame)?\.?", OK)
        for row in START:
            self.say(*row)
        strikes, digit = 0, 0  # a digit not in the PIN strikes; ten strikes bring the hint
        while strikes < 10:
            line = rf"\* (Strike: {digit}{{4}} has no correct digits|Ball: {digit}{{4}} has at least one correct digit)"
            hint = [r"Hint: \d{4}"] if strikes == 9 else []
            spoken = self.say(f"{digit} " * 4 + "Return", "return", "YOU CHOSE POORLY", line, *hint)
            strikes, digit = (strikes + 1, digit) if "Strike" in spoken[2] else (strikes, digit + 1)
        ball = spoken[3][-1] + str(digit) * 3  # a digit of the PIN, and three not in it
        for row in [
            (" ".join(ball) + " Tab", "tab", "Strikes" + READ_ONLY, ".+", r"Max\. Stikes Counted is 9 - Watch.*"),
            ("Return", "return", "YOU CHOSE POORLY", rf"\* Ball: {ball} has at least one correct digit", spoken[3]),
            ("shift+Tab", SHIFT, GUESS),  # the description it had comes back unheard
            ("shift+Tab", SHIFT, OK),
            ("shift+Tab", SHIFT, ABOUT),
            ("shift+Tab", SHIFT, DISPLAY, rf"\* Ball: {ball} has at least one correct digit\.?"),  # the newest
            ("Down", rf"\* Strike: {digit}{{4}} has no correct digits\.?"),
        ]:
            self.say(*row)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
