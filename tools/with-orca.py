#!/usr/bin/env python3
"""Runs a command with Debian's screen reader, Orca, listening: Orca and a
speech-dispatcher of their own, in a private home, with no sound. The
synthesizer writes what it speaks to a log, a line for each text the speech
server hands it (line breaks as spaces), once it has spoken it whole: a text
that is stopped before its end never appears there. The command finds that
log in TAVEK_SPEECH_LOG and Orca's debug log (its SPEECH OUTPUT lines) in
TAVEK_ORCA_LOG, and starts once Orca has said it is on. Needs a display and
the screen-reader bus (tools/with-display.sh --reader); never touches another
Orca. The logs are kept when the command fails.

    tools/with-orca.py command...
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

# Orca as /usr/bin/orca starts it, without ending the user's other Orcas. Orca
# 48 keeps its settings manager in a module of its own, which has to be
# imported after the others it needs.
STARTER = """
import sys
from orca import debug
debug.debugLevel = debug.LEVEL_ALL
debug.debugFile = open(sys.argv[2], "w", buffering=1)
try:
    from orca import debugging_tools_manager, messages, settings, script_manager, settings_manager
    manager = settings_manager.get_manager()
    manager.activate(sys.argv[1], {})
    sys.path.insert(0, manager.get_prefs_dir())
except ImportError:
    from orca import orca
    manager = orca.getSettingsManager()
    manager.activate(sys.argv[1], {})
    sys.path.insert(0, manager.getPrefsDir())
from orca import orca
sys.exit(orca.main())
"""
# The synthesizer takes a tenth of a second for each text, and logs it after that.
SPEECHD_CONF = """LogLevel 3
LogDir "{home}"
AudioOutputMethod "libao"
AddModule "log" "sd_generic" "log.conf"
DefaultModule log
"""
MODULE_CONF = """GenericExecuteSynth "sleep 0.1 && printf '%s' \\'$DATA\\' | tr '\\\\n' ' ' >> {log} && echo >> {log}"
GenericDelimiters "\\x01"
GenericMaxChunkLength 100000
AddVoice "en" "male1" "log"
GenericLanguage "en" "en" "utf-8"
"""


def wait_for(what, ready, process, seconds=60):
    deadline = time.monotonic() + seconds
    while not ready():
        if process.poll() is not None or time.monotonic() > deadline:
            sys.exit(f"with-orca: {what} did not start")
        time.sleep(0.05)


def main():
    home = tempfile.mkdtemp(prefix="tavek-orca-")
    speech_log, orca_log = os.path.join(home, "speech.log"), os.path.join(home, "orca.log")
    os.makedirs(os.path.join(home, "speechd", "modules"))
    os.makedirs(os.path.join(home, "run"), mode=0o700)
    for name, text in ((os.path.join("speechd", "speechd.conf"), SPEECHD_CONF.format(home=home)),
                       (os.path.join("speechd", "modules", "log.conf"), MODULE_CONF.format(log=speech_log)),
                       (".libao", "default_driver=null\n"), ("speech.log", "")):
        with open(os.path.join(home, name), "w") as file:
            file.write(text)
    # The reader's own GLib warnings are not the command's: G_DEBUG is the command's alone.
    environment = {k: v for k, v in os.environ.items() if k != "G_DEBUG"} | {
        "HOME": home, "XDG_RUNTIME_DIR": os.path.join(home, "run"), "GSETTINGS_BACKEND": "memory",
        "NO_AT_BRIDGE": "0", "GTK_A11Y": "atk"}
    socket = os.path.join(home, "run", "speech-dispatcher", "speechd.sock")
    speechd = subprocess.Popen(["speech-dispatcher", "-s", "-t", "0", "-C", os.path.join(home, "speechd")],
                               env=environment, stderr=subprocess.DEVNULL)
    orca, status = None, 1
    try:
        wait_for("speech-dispatcher", lambda: os.path.exists(socket), speechd)
        with open(os.path.join(home, "orca.out"), "w") as output:
            orca = subprocess.Popen(["/usr/bin/python3", "-c", STARTER, os.path.join(home, "orca"), orca_log],
                                    env=environment, stdout=output, stderr=output)
        wait_for("Orca", lambda: "Screen reader on" in open(speech_log).read(), orca)
        status = subprocess.run(sys.argv[1:], env=os.environ | {"TAVEK_SPEECH_LOG": speech_log,
                                                                "TAVEK_ORCA_LOG": orca_log}).returncode
    finally:
        for process in (orca, speechd):
            if process:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        if status == 0:
            shutil.rmtree(home)
        else:
            print(f"with-orca: the logs are kept in {home}", file=sys.stderr)
    return status


if __name__ == "__main__":
    sys.exit(main())
