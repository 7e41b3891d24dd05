#!/usr/bin/env python3
"""Serves the site's folder on 127.0.0.1 and prints its address; with --once,
plays it once in Debian's headless Chromium (four digits and Enter), saves a
screenshot, prints its path and stops.

    play-web.py SITE_FOLDER SCREENSHOT [--once]
"""
import functools
import http.server
import sys

from chromium import SiteHandler, chromium


def play_once(url, screenshot):
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait

    driver = chromium(1024, 600)
    try:
        driver.get(url)
        field = WebDriverWait(driver, 30).until(lambda d: d.find_element(By.CSS_SELECTOR, "input[inputmode=numeric]"))
        field.click()
        field.send_keys("1234", Keys.ENTER)
        WebDriverWait(driver, 30).until(lambda d: d.find_element(By.TAG_NAME, "textarea").get_property("value"))
        driver.save_screenshot(screenshot)
    finally:
        driver.quit()


def main():
    folder, screenshot = sys.argv[1:3]
    once = "--once" in sys.argv[3:]
    handler = functools.partial(SiteHandler, directory=folder)
    for port in range(8000, 8100):
        try:
            server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
            break
        except OSError:
            continue
    else:
        sys.exit("play: no free port from 8000 to 8099 on 127.0.0.1")
    url = f"http://127.0.0.1:{port}/"
    print(f"play: the site is served at {url}" + ("" if once else " (Ctrl+C stops it)"), flush=True)
    if not once:
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
        return
    import threading
    threading.Thread(target=server.serve_forever, daemon=True).start()
    play_once(url, screenshot)
    server.shutdown()
    print(f"play: no display here; the site was played once in headless Chromium. Screenshot: {screenshot}")


if __name__ == "__main__":
    main()
