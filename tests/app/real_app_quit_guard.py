#!/usr/bin/python3
"""The quit guard of the real program on the X display: while a conversion runs, a window close
request and SIGTERM each show the message once and the run goes on; idle, a close request quits
and writes config.json. Usage: real_app_quit_guard.py <Meltrow program>"""

import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from meltrow_x11 import make_sine, Checks, Meltrow, START_AT, REAL_TIME_CONFIG, wait_for  # noqa: E402

check = Checks()


def quit_once_idle(app, timeout):
    """Asks the idle program to close and returns its exit code (None if it never ends). On a
    loaded machine the stopped run's thread may still be ending when the request comes: the
    guard then refuses once, and the request is made again after its box is dismissed."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        app.request_close()
        try:
            return app.process.wait(timeout=1)
        except subprocess.TimeoutExpired:
            pass
        for box in app.message_boxes():
            print("note: the close request came while the run was still ending; asking again", flush=True)
            app.request_close(box)
        wait_for(lambda: not app.message_boxes(), 5)
    return app.process.poll()


def main(program):
    with Meltrow(program, tempfile.mkdtemp(prefix="meltrow-quit-", dir="/tmp")) as app:
        # A name without characters that need shift, as it is typed in key by key.
        music = os.path.join(app.root_folder, "music")
        os.makedirs(music)
        song = os.path.join(music, "long.wav")
        make_sine(song, 60)
        app.write_settings(REAL_TIME_CONFIG)

        app.start()
        check(app.title_of(app.window) == "Meltrow 1.2.4", "the window is titled Meltrow 1.2.4")

        app.type_into_input_list(song)
        app.click(START_AT)
        # A loaded machine can take a while to hand the click on and start the child.
        check(wait_for(app.converter_children, 30) != [], "Start runs the converter")

        for name, request in (("close request", app.request_close),
                              ("SIGTERM", lambda: app.process.send_signal(signal.SIGTERM))):
            request()
            boxes = wait_for(app.message_boxes, 10)
            time.sleep(0.5)  # a second box would have come by now
            check(len(app.message_boxes()) == 1, f"{name}: one message box")
            if boxes:
                app.request_close(boxes[0])
                check(wait_for(lambda: not app.message_boxes(), 10), f"{name}: the box goes when dismissed")
            time.sleep(0.3)
            check(app.process.poll() is None and app.main_window() is not None, f"{name}: the window stays")
            check(app.converter_children() != [], f"{name}: the run goes on")

        app.click(START_AT)  # Stop
        check(wait_for(lambda: not app.converter_children(), 10), "Stop ends the run")
        time.sleep(0.3)

        os.remove(app.settings_file)
        check(quit_once_idle(app, 15) == 0, "idle, a close request quits")
        check(os.path.isfile(app.settings_file), "quitting writes config.json")
        check(not os.path.exists(os.path.join(music, "KIV_Wav", "long.wav")), "the stopped file left no output")

    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
