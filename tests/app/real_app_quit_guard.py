#!/usr/bin/python3
"""The quit guard of the real program on the X display: while a conversion runs, a window close
request, SIGTERM, SIGHUP, SIGQUIT, and Ctrl+C, Ctrl+\\ and the hang-up of the terminal it was
started from each show the message once and the run goes on; idle, a close request and each of
those signals quit and write config.json. Usage: real_app_quit_guard.py <Meltrow program>"""

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

        app.start(in_terminal=True)
        check(app.title_of(app.window) == "Meltrow 1.2.4", "the window is titled Meltrow 1.2.4")

        app.type_into_input_list(song)
        app.click(START_AT)
        # A loaded machine can take a while to hand the click on and start the child.
        converters = wait_for(app.converter_children, 30)
        check(converters != [], "Start runs the converter")

        # What the terminal sends reaches the program's whole job; the converter must not end.
        requests = [("close request", app.request_close)]
        requests += [(f"{name} sent", lambda number=number: app.process.send_signal(number))
                     for name, number in (("SIGTERM", signal.SIGTERM), ("SIGHUP", signal.SIGHUP),
                                          ("SIGQUIT", signal.SIGQUIT))]
        # A closed terminal can send its hang-up twice (the kernel, then the shell): the box
        # already up answers the second.
        requests += [("SIGHUP sent again while its box is up",
                      lambda: (app.process.send_signal(signal.SIGHUP), wait_for(app.message_boxes, 10),
                               app.process.send_signal(signal.SIGHUP)))]
        requests += [("Ctrl+C in the terminal", lambda: app.type_in_terminal(b"\x03")),
                     ("Ctrl+\\ in the terminal", lambda: app.type_in_terminal(b"\x1c")),
                     ("the terminal closed", app.close_terminal)]

        for name, request in requests:
            request()
            boxes = wait_for(app.message_boxes, 10)
            time.sleep(0.5)  # a second box would have come by now
            check(len(app.message_boxes()) == 1, f"{name}: one message box")
            if boxes:
                app.request_close(boxes[0])
                check(wait_for(lambda: not app.message_boxes(), 10), f"{name}: the box goes when dismissed")
            time.sleep(0.3)
            check(app.process.poll() is None and app.main_window() is not None, f"{name}: the window stays")
            check(app.converter_children() == converters, f"{name}: the run goes on")

        app.click(START_AT)  # Stop
        check(wait_for(lambda: not app.converter_children(), 10), "Stop ends the run")
        time.sleep(0.3)

        os.remove(app.settings_file)
        check(quit_once_idle(app, 15) == 0, "idle, a close request quits")
        check(os.path.isfile(app.settings_file), "quitting writes config.json")
        check(not os.path.exists(os.path.join(music, "KIV_Wav", "long.wav")), "the stopped file left no output")

    for name, number in (("SIGTERM", signal.SIGTERM), ("SIGINT", signal.SIGINT), ("SIGHUP", signal.SIGHUP),
                         ("SIGQUIT", signal.SIGQUIT)):
        with Meltrow(program, tempfile.mkdtemp(prefix="meltrow-quit-", dir="/tmp")) as app:
            app.start()
            app.process.send_signal(number)
            try:
                app.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                pass
            check(app.process.poll() == 0, f"idle, {name} quits normally")
            check(os.path.isfile(app.settings_file), f"{name}: quitting writes config.json")

    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
