#!/usr/bin/env python3
"""The site's figures (tools/bench-web.sh builds it): what a visitor downloads,
the time from navigation to the window shown and to the first key accepted in
Debian's headless Chromium on 127.0.0.1, beside a bare page with the same
controls and no WebAssembly (tests/bench/bare_page.html) in the same run, and
what the page's renderer does while the game waits.

    bench-web.py SITE_FOLDER [--quick]
"""
import glob
import gzip
import http.server
import os
import statistics
import sys
import threading
import time

from chromium import chromium

PROGRAM = ["index.html", "tavek-pin.js", "tavek-pin.wasm", "tavek-pin.css", "manifest.webmanifest"]
APART = ["tavek-rounded.woff2", "icon-192.png", "icon-512.png"]
GOAL_KB, GOAL_RATIO = 64, 1.5

# Put in every page before its own scripts: the moments the window is complete (its eleven controls, at the
# frame after) and the first miss line is written, and the timers and frames the page asks for.
INSTRUMENT = """
window.__bench = {timers: 0, frames: 0};
(function () {
  const mark = k => { if (!(k in __bench)) __bench[k] = performance.now(); };
  const frame = requestAnimationFrame.bind(window);
  new MutationObserver(() => {
    const client = document.querySelector('.tk-client');
    if (client) mark('opened');
    if (client && client.children.length == 11 && !__bench.complete) { __bench.complete = 1; frame(() => mark('shown')); }
  }).observe(document, {subtree: true, childList: true});
  const value = Object.getOwnPropertyDescriptor(HTMLTextAreaElement.prototype, 'value');
  Object.defineProperty(HTMLTextAreaElement.prototype, 'value', {get: value.get, configurable: true,
    set(v) { value.set.call(this, v); if (String(v).startsWith('* ')) mark('miss'); }});
  for (const [name, count] of [['setTimeout', 'timers'], ['setInterval', 'timers'], ['requestAnimationFrame', 'frames']]) {
    const original = window[name];
    window[name] = function () { __bench[count]++; return original.apply(this, arguments); };
  }
})();
"""


TYPES = {".html": "text/html", ".css": "text/css", ".js": "text/javascript", ".wasm": "application/wasm",
         ".webmanifest": "application/manifest+json", ".png": "image/png", ".woff2": "font/woff2"}


class Quiet(http.server.BaseHTTPRequestHandler):
    """The folder's files from memory over kept-alive connections, so that the server's own time is as small as it
    can be and the same for both pages."""
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True  # or a response's headers and body wait for the client's delayed ack
    files = {}

    def do_GET(self):
        name = self.path.split("?")[0].lstrip("/") or "index.html"
        body = self.files.get(name)
        self.send_response(200 if body is not None else 404)
        self.send_header("Content-Type", TYPES.get(os.path.splitext(name)[1], "application/octet-stream"))
        self.send_header("Content-Length", str(len(body or b"")))
        self.end_headers()
        self.wfile.write(body or b"")

    def log_message(self, *args):
        pass


def gz(path):
    with open(path, "rb") as f:
        return len(gzip.compress(f.read(), 9, mtime=0))


def renderer_ns():
    """Processor time of every renderer of the browser, in nanoseconds, from the kernel's scheduler."""
    total = 0
    for cmdline in glob.glob("/proc/[0-9]*/cmdline"):
        try:
            with open(cmdline, "rb") as f:
                if b"--type=renderer" not in f.read():
                    continue
            for stat in glob.glob(os.path.join(os.path.dirname(cmdline), "task", "*", "schedstat")):
                with open(stat) as f:
                    total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def browser():
    driver = chromium(1024, 768)
    for command, arguments in (("Network.enable", {}), ("Network.setCacheDisabled", {"cacheDisabled": True}),
                               ("Network.setBypassServiceWorker", {"bypass": True}),
                               ("Page.addScriptToEvaluateOnNewDocument", {"source": INSTRUMENT})):
        driver.execute_cdp_cmd(command, arguments)
    return driver


def wait(driver, key):
    end = time.monotonic() + 30
    while time.monotonic() < end:
        value = driver.execute_script(f"return window.__bench && __bench.{key}")
        if value:
            return value
        time.sleep(0.002)
    raise SystemExit(f"bench: the page never reached '{key}'")


def load(driver, url):
    """Navigation to the window shown, and to the first miss written for four digits and Enter typed at once."""
    driver.get("about:blank")
    driver.get(url)
    shown = wait(driver, "shown")
    driver.execute_script("document.querySelector('input[inputmode=numeric]').focus()")
    driver.execute_cdp_cmd("Input.insertText", {"text": "1234"})
    for kind in ("rawKeyDown", "char", "keyUp"):
        driver.execute_cdp_cmd("Input.dispatchKeyEvent", {"type": kind, "windowsVirtualKeyCode": 13, "key": "Enter",
                                                          "code": "Enter", "text": "\r" if kind == "char" else ""})
    return shown, wait(driver, "miss")


def idle(driver, url, seconds=3.0):
    """The renderers' processor time and the timers and frames asked for, while the window waits."""
    driver.get("about:blank")
    driver.get(url)
    wait(driver, "shown")
    time.sleep(1)  # the start's own work, fonts and first paints, done
    asked = driver.execute_script("return __bench.timers + __bench.frames")
    before = renderer_ns()
    time.sleep(seconds)
    used = renderer_ns() - before
    return used / 1e6, driver.execute_script("return __bench.timers + __bench.frames") - asked


def main():
    folder = sys.argv[1]
    quick = "--quick" in sys.argv[2:]
    runs = 3 if quick else 11
    program = sum(gz(os.path.join(folder, f)) for f in PROGRAM)
    raw = sum(os.path.getsize(os.path.join(folder, f)) for f in PROGRAM)
    apart = {f: os.path.getsize(os.path.join(folder, f)) for f in APART}
    bare_size = gz(os.path.join(folder, "bare.html")) + gz(os.path.join(folder, "tavek-pin.css"))

    for name in os.listdir(folder):
        if os.path.isfile(os.path.join(folder, name)):
            with open(os.path.join(folder, name), "rb") as f:
                Quiet.files[name] = f.read()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Quiet)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    driver = browser()
    try:
        figures = {"game": [], "bare": []}
        load(driver, base)  # the browser's own first start aside
        for _ in range(runs):
            for name, page in (("game", "index.html"), ("bare", "bare.html")):
                figures[name].append(load(driver, base + page))
        idles = {name: idle(driver, base + page) for name, page in (("game", "index.html"), ("bare", "bare.html"))}
    finally:
        driver.quit()
        server.shutdown()

    def median(name, i):
        return statistics.median(run[i] for run in figures[name])

    print(f"The site, {time.strftime('%Y-%m-%d')}, Chromium headless on 127.0.0.1, cache off; medians of {runs} loads; "
          f"load average {os.getloadavg()[0]:.2f}")
    print()
    print("| figure | game | bare page | game/bare | goal | met |")
    print("|---|---:|---:|---:|---|---|")
    print(f"| download: html, js, wasm, css, manifest, gzip -9, KB | {program / 1024:.1f} | {bare_size / 1024:.1f} | | "
          f"<= {GOAL_KB} | {'yes' if program <= GOAL_KB * 1024 else 'NO'} |")
    print(f"| the same, uncompressed, KB | {raw / 1024:.1f} | | | | |")
    for label, i in (("navigation to window shown, ms", 0), ("navigation to first key accepted (a miss written), ms", 1)):
        game, bare = median("game", i), median("bare", i)
        print(f"| {label} | {game:.1f} | {bare:.1f} | {game / bare:.2f} | <= {GOAL_RATIO} bare | "
              f"{'yes' if game <= GOAL_RATIO * bare else 'NO'} |")
    for name in ("game", "bare"):
        pass
    print(f"| renderer CPU while waiting, 3 s, ms | {idles['game'][0]:.2f} | {idles['bare'][0]:.2f} | | 0 | "
          f"{'yes' if idles['game'][1] == 0 else 'NO'} (timers and frames asked: {idles['game'][1]}) |")
    print()
    print("Counted apart: " + ", ".join(f"{f} {size / 1024:.1f} KB" for f, size in apart.items()))


if __name__ == "__main__":
    main()
