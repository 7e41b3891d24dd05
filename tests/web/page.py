"""Debian's Chromium, driven by its chromedriver through Python's selenium, on
a site served from a folder on 127.0.0.1; controls found by role and name in
Chromium's accessibility tree, as a screen reader finds them.

    page.py FOLDER PAGE   loads the page and prints what its program prints;
                          fails unless it prints "[  PASSED  ]" and no "FAILED"
"""
import functools
import os
import socketserver
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from chromium import SiteHandler, chromium  # noqa: E402


class Server:
    """The folder on 127.0.0.1 at a port of its own, until stop()."""

    def __init__(self, folder):
        handler = functools.partial(SiteHandler, directory=folder)
        self.httpd = socketserver.ThreadingTCPServer(("127.0.0.1", 0), handler)
        self.httpd.daemon_threads = True
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}/"
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def stop(self):
        if self.httpd.fileno() != -1:
            self.httpd.shutdown()
            self.httpd.server_close()


def browser(width=1024, height=768, profile=None, reader=False):
    driver = chromium(width, height, "--lang=en-GB", *([f"--user-data-dir={profile}"] if profile else []), logs=True,
                      reader=reader)
    driver.execute_cdp_cmd("Accessibility.enable", {})
    return driver


def wait_for(condition, what, timeout=20):
    """condition()'s first true value, looked for every 20 ms up to `timeout` seconds."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.02)


def ax_nodes(driver):
    """Chromium's accessibility tree in document order: (role, name, node) for every node that is not ignored."""
    nodes = driver.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
    by_id = {n["nodeId"]: n for n in nodes}
    order, stack = [], [nodes[0]]
    while stack:
        node = stack.pop()
        order.append(node)
        stack.extend(by_id[c] for c in reversed(node.get("childIds", [])) if c in by_id)
    return [(n["role"]["value"], n.get("name", {}).get("value", ""), n) for n in order if not n.get("ignored")]


def ax_find(driver, role, name):
    """The element that Chromium's accessibility tree names `name` with `role`, as a WebElement; None if none."""
    for r, n, node in ax_nodes(driver):
        if r == role and n == name and "backendDOMNodeId" in node:
            found = driver.execute_cdp_cmd("DOM.resolveNode", {"backendNodeId": node["backendDOMNodeId"]})
            driver.execute_cdp_cmd("Runtime.callFunctionOn", {
                "objectId": found["object"]["objectId"],
                "functionDeclaration": "function () { this.dataset.found = `${arguments[0]}`; }",
                "arguments": [{"value": node["nodeId"]}]})
            return driver.find_element("css selector", f'[data-found="{node["nodeId"]}"]')
    return None


def errors(driver):
    """The console's errors since the last call."""
    return [entry["message"] for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]


if __name__ == "__main__":
    folder, name = sys.argv[1:3]
    server = Server(folder)
    driver = browser()
    try:
        driver.get(server.url + name)
        bad = []
        out = wait_for(lambda: bad.extend(errors(driver)) or bad or
                       driver.execute_script("return window.ended && window.printed.join('\\n')"),
                       "the program's end", timeout=240)
        print(driver.execute_script("return window.printed.join('\\n')"))
        print("\n".join(bad))
        sys.exit(0 if "[  PASSED  ]" in out and "FAILED" not in out and not bad else 1)
    finally:
        driver.quit()
        server.stop()
