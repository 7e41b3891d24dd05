"""Debian's headless Chromium driven through its chromedriver by Python's
selenium, and the site's files served to it: one set-up for the site's tests,
its play command and its figures."""
import http.server

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def chromium(width, height, *arguments, logs=False, reader=False):
    """A new headless Chromium of the given window size, with these further command-line arguments; with logs, the
    page's console is kept for get_log("browser"). With reader it shows on the display instead, its pages
    given to the screen-reader bus."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    mode = ("--force-renderer-accessibility", "--no-first-run") if reader else ("--headless=new",)
    for argument in (*mode, "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     f"--window-size={width},{height}", *arguments):
        options.add_argument(argument)
    if logs:
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    """A folder's files, quietly. A browser compiles the program as it downloads only when it is served as
    WebAssembly."""
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".webmanifest": "application/manifest+json"}

    def log_message(self, *args):
        pass
