#!/usr/bin/env python3
"""Plays the site in Debian's headless Chromium as a person would, with real
keys and clicks, its controls found by role and name in Chromium's
accessibility tree; on a desktop, on a phone, and offline once visited.

    play_web.py SITE_FOLDER [unittest arguments]
"""
import os
import re
import sys
import tempfile
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

from page import Server, ax_find, ax_nodes, browser, errors, wait_for

SITE = None
TITLE = "Tavek PIN Program Ver. 0.11"
# role, name, in the window's order, as a screen reader gets them (a name's run of blanks is one: Chromium's
# name computation folds them, where the label's own text keeps both)
PROMPT = "Enter 4 Digit PIN"
CONTROLS = [("button", "OK"), ("StaticText", "Enter 4 Digit  PIN"), ("textbox", PROMPT),
            ("textbox", "Strikes"), ("textbox", "Balls"), ("StaticText", "Strikes"), ("StaticText", "Balls"),
            ("status", "Message"), ("textbox", "Results"), ("button", "About")]


def drawn_in(driver, element):
    """The face Chromium draws the element's text with."""
    driver.execute_script("arguments[0].dataset.face = 1", element)
    root = driver.execute_cdp_cmd("DOM.getDocument", {"depth": 0})["root"]["nodeId"]
    node = driver.execute_cdp_cmd("DOM.querySelector", {"nodeId": root, "selector": "[data-face]"})
    driver.execute_script("delete arguments[0].dataset.face", element)
    fonts = driver.execute_cdp_cmd("CSS.getPlatformFontsForNode", {"nodeId": node["nodeId"]})["fonts"]
    return fonts[0]["familyName"] if fonts else None


def shots():
    folder = os.path.join(os.path.dirname(os.path.abspath(SITE)), "screenshots")
    os.makedirs(folder, exist_ok=True)
    return folder


class Game:
    def __init__(self, test, driver, url):
        self.test, self.driver = test, driver
        driver.get(url)
        wait_for(lambda: ax_find(driver, "region", TITLE), "the window")
        self.c = {name: wait_for(lambda: ax_find(driver, role, name), name)
                  for role, name in CONTROLS if role in ("button", "textbox", "status")}
        self.guess_field, self.message, self.display = (self.c[PROMPT], self.c["Message"],
                                                        self.c["Results"])

    def text(self, control):
        return control.get_property("value") if control.tag_name in ("input", "textarea") else control.text

    def wait_text(self, control, wanted, what):
        return wait_for(lambda: wanted(self.text(control)) and [self.text(control)], what)[0]

    def keys(self, *keys, held=None):
        chain = ActionChains(self.driver)
        if held:
            chain.key_down(held)
        chain.send_keys(*keys)
        if held:
            chain.key_up(held)
        chain.perform()

    def click(self, control):
        ActionChains(self.driver).move_to_element(control).click().perform()

    def guess(self, digits, submit=Keys.ENTER):
        self.keys(digits)
        self.wait_text(self.guess_field, lambda t: t.endswith(digits[-4:]), f"{digits} typed")
        self.click(self.c["OK"]) if submit is None else self.keys(submit)
        self.wait_text(self.guess_field, lambda t: t == "", f"{digits} judged")

    def screenshot(self, name):
        self.driver.save_screenshot(os.path.join(shots(), f"web-{name}.png"))


class Play(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server(SITE)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def setUp(self):
        self.driver = browser()
        self.addCleanup(self.driver.quit)

    def tearDown(self):
        self.assertEqual(errors(self.driver), [], "no error on the console")

    def test_names_tab_walk_and_about(self):
        g = Game(self, self.driver, self.server.url)
        nodes = [(role, name) for role, name, _ in ax_nodes(self.driver)]
        start = nodes.index(("region", TITLE))
        print(f"\n{TITLE!r} as Chromium's accessibility tree gives it:")
        for role, name in nodes[start:]:
            if role not in ("generic", "InlineTextBox", "none"):
                print(f"  {role} {name!r}")
        order = [n for n in nodes[start:] if n in CONTROLS]
        self.assertEqual(order, CONTROLS)
        self.assertEqual(g.guess_field.get_attribute("aria-label"), "Enter 4 Digit  PIN")
        self.assertEqual(g.c["Strikes"].get_attribute("title"), "Max. Stikes Counted is 9 - Watch for Hint")
        self.assertEqual(g.c["Balls"].get_attribute("title"), "Max. Balls Counted is 99")
        # The faces the native program draws with, each first of its fallback list on this system.
        self.driver.execute_cdp_cmd("DOM.enable", {})
        self.driver.execute_cdp_cmd("CSS.enable", {})
        for control, face in ((g.c["OK"], "Liberation Sans"), (g.c["Strikes"], "Liberation Sans"),
                              (g.driver.find_element("css selector", ".tk-label"), "Liberation Serif"),
                              (g.driver.find_elements("css selector", ".tk-label")[1], "Comfortaa")):
            self.assertEqual(drawn_in(self.driver, control), face)
        self.assertIsNone(self.driver.execute_script("return document.activeElement.closest('.tk-window')"),
                          "a control took the focus before any input")
        g.screenshot("start")
        g.click(g.guess_field)
        for held, order in ((None, ["Strikes", "Balls", "Results", "About", "OK", PROMPT]),
                            (Keys.SHIFT, ["OK", "About", "Results", "Balls", "Strikes", PROMPT])):
            for expected in order:
                g.keys(Keys.TAB, held=held)
                wait_for(lambda: self.driver.switch_to.active_element == g.c[expected], f"Tab to {expected}")
        g.keys("12")
        g.click(g.c["About"])
        about = g.wait_text(g.display, lambda t: t.endswith("Instructions: Have Fun With It"), "the About text")
        self.assertEqual(len(about.split("\n")), 7)
        self.assertEqual(g.display.value_of_css_property("font-family").split(",")[0], '"Courier New"')
        g.screenshot("about")

    def test_misses_hint_and_wins(self):
        g = Game(self, self.driver, self.server.url)
        g.click(g.guess_field)
        g.keys("a1b2c")
        g.wait_text(g.guess_field, lambda t: t == "12", "digits only")
        g.keys(Keys.ENTER)
        self.assertEqual((g.text(g.guess_field), g.text(g.message), g.text(g.display)), ("12", "", ""))
        g.keys(Keys.BACKSPACE, Keys.BACKSPACE)
        present, absent = [], []
        for digit in "0123456789":
            g.guess(digit * 4)
            top = g.text(g.display).split("\n")[0]
            (present if top.startswith("* Ball: ") else absent).append(digit)
            self.assertIn(top, (f"* Ball: {digit * 4} has at least one correct digit",
                                f"* Strike: {digit * 4} has no correct digits"))
        self.assertEqual(g.text(g.c["Balls"]), f" {len(present)}")
        self.assertEqual(g.text(g.message), "YOU CHOSE POORLY")
        # A result is said as one line, the message first, by the page's one polite live region.
        self.assertEqual(self.driver.execute_script(
            "return [...document.querySelectorAll('[aria-live=polite]')].map(e => e.textContent)"), [f"YOU CHOSE POORLY {top}"])
        for _ in range(10 - len(absent)):
            g.guess(absent[0] * 4)
        self.assertEqual(g.text(g.c["Strikes"]), " #")
        hint = g.text(g.message)
        self.assertRegex(hint, r"^  Hint: \d{4}$")
        # A paste brings its digits alone; of the six, the last four count.
        self.driver.execute_cdp_cmd("Browser.grantPermissions", {"permissions": ["clipboardReadWrite",
                                                                                "clipboardSanitizedWrite"]})
        self.driver.execute_async_script("navigator.clipboard.writeText(arguments[0]).then(arguments[1])",
                                         f"1-2 {hint[-4:-2]}x{hint[-2:]}")
        g.keys("v", held=Keys.CONTROL)
        g.wait_text(g.guess_field, lambda t: t == "12" + hint[-4:], "the pasted digits")
        g.click(g.c["OK"])
        g.wait_text(g.message, lambda t: t == "Enter Another PIN", "the win by the hint's PIN")
        self.assertEqual((g.text(g.c["Strikes"]), g.text(g.c["Balls"])), (" 0", " 0"))
        joke = g.text(g.display)
        self.assertTrue(joke.startswith(" ") and "* " not in joke, joke)
        g.screenshot("win")
        g.click(g.guess_field)
        g.keys("6157")
        g.wait_text(g.display, lambda t: t == "", "the joke cleared by the next guess")
        g.keys(Keys.ENTER)
        g.wait_text(g.message, lambda t: t == "Enter Another PIN", "the win by the master code")
        self.assertNotEqual(g.wait_text(g.display, bool, "a new joke"), joke)
        # The close box ends the game; the page offers the next one.
        g.click(ax_find(self.driver, "button", "Close"))
        again = wait_for(lambda: ax_find(self.driver, "button", "Play again"), "the offer of a new game")
        self.assertIsNone(ax_find(self.driver, "region", TITLE))
        g.click(again)
        wait_for(lambda: ax_find(self.driver, "region", TITLE), "the window again")

    def test_phone(self):
        """A 360 px phone upright: the window scaled to the width, nothing scrolls sideways; on its side, at full size."""
        for width, height, scaled in ((360, 740, True), (740, 360, False)):
            self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                "width": width, "height": height, "deviceScaleFactor": 2, "mobile": True})
            g = Game(self, self.driver, self.server.url)
            sizes = self.driver.execute_script("""
                const w = document.querySelector('.tk-window').getBoundingClientRect();
                return [document.documentElement.scrollWidth, w.left, w.right, w.width,
                        [...document.querySelectorAll('.tk-client > *')].every(e => {
                            const r = e.getBoundingClientRect();
                            return r.left >= w.left && r.right <= w.right && r.bottom <= w.bottom; })];""")
            self.assertLessEqual(sizes[0], width, "nothing scrolls sideways")
            self.assertTrue(sizes[1] >= 0 and sizes[2] <= width and sizes[4], sizes)
            self.assertEqual(sizes[3] < 662, scaled, sizes)
            self.assertEqual(g.guess_field.get_attribute("inputmode"), "numeric")
            g.screenshot(f"phone-{width}")

    def test_zoom_150(self):
        """A desktop at 150 %: the same window, its pixels half as large again."""
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 683, "height": 512, "deviceScaleFactor": 1.5, "mobile": False})
        g = Game(self, self.driver, self.server.url)
        self.assertEqual(self.driver.execute_script("return document.querySelector('.tk-window').style.transform"), "")
        g.click(g.guess_field)
        g.guess("1234")
        g.screenshot("zoom-150")


class Offline(unittest.TestCase):
    def test_reload_with_the_server_gone(self):
        server = Server(SITE)
        with tempfile.TemporaryDirectory() as profile:
            driver = browser(profile=profile)
            try:
                driver.get(server.url)
                wait_for(lambda: driver.execute_script("return navigator.serviceWorker.controller"), "the worker")
                names = driver.execute_async_script("caches.keys().then(arguments[0])")
                self.assertEqual(names, ["tavek-pin-0.11"])
                self.assertEqual(driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})["installabilityErrors"], [])
                server.stop()  # the worker's own requests would reach it: gone, they cannot
                driver.execute_cdp_cmd("Network.enable", {})
                driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
                    "offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
                g = Game(self, driver, server.url)
                g.click(g.guess_field)
                g.guess("1234")
                self.assertRegex(g.text(g.display), r"^\* (Ball|Strike): 1234 ")
                # The served face plays offline too, where a visitor's system lacks it.
                self.assertEqual(driver.execute_async_script(
                    "new FontFace('served', 'url(tavek-rounded.woff2)').load().then(f => arguments[0](f.status))"), "loaded")
                self.assertEqual(errors(driver), [])
            finally:
                driver.quit()


if __name__ == "__main__":
    SITE = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v", *sys.argv[2:]])
