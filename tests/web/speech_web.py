#!/usr/bin/env python3
"""What Debian's screen reader, Orca, says of the site while it is played: the
results come from the page's live regions, where the focus stays in the guess
field. Chromium shows on a display of its own with its pages given to the
screen-reader bus; run under tools/with-display.sh --reader and
tools/with-orca.py (Orca's log in TAVEK_ORCA_LOG).

    speech_web.py SITE_FOLDER
"""
import os
import re
import sys
import unittest

from selenium.webdriver.common.keys import Keys

from page import Server, browser, errors, wait_for
from play_web import Game


def spoken():
    with open(os.environ["TAVEK_ORCA_LOG"], errors="replace") as log:
        return re.findall(r"SPEECH OUTPUT: '(.*?)' ?\{", log.read(), re.DOTALL)  # a text may hold line breaks


class Speech(unittest.TestCase):
    def test_results_are_spoken_where_the_focus_stays(self):
        server = Server(sys.argv[1])
        self.addCleanup(server.stop)
        driver = browser(reader=True)
        self.addCleanup(driver.quit)
        g = Game(self, driver, server.url)
        g.click(g.guess_field)
        wait_for(lambda: any("Enter 4 Digit PIN" in line for line in spoken()), "the guess field announced")

        def says(keys, *controls):
            """keys typed in the guess field (or a click on About); then each control's newest line is spoken."""
            before = len(spoken())
            g.click(g.c["About"]) if keys is None else g.keys(keys, Keys.ENTER)
            lines = [wait_for(lambda: g.text(c).strip().split("\n")[0], "a result") for c in controls]
            wait_for(lambda: all(any(line in said for said in spoken()[before:]) for line in lines),
                     f"Orca saying {lines} (it said {spoken()[before:]})")
            for line in lines:
                self.assertEqual(sum(line in said for said in spoken()[before:]), 1, f"{line!r} said once")
            self.assertEqual(driver.switch_to.active_element, g.guess_field if keys else g.c["About"])

        says("1111", g.message, g.display)  # "YOU CHOSE POORLY", then the miss line
        says(None, g.display)               # the About text
        g.click(g.guess_field)
        says("6157", g.display, g.message)  # the joke, then "Enter Another PIN"
        self.assertEqual(errors(driver), [])
        print("Orca said:", *spoken(), sep="\n  ")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
