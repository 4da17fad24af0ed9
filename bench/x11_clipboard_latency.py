#!/usr/bin/python3
"""How long another X client waits for the CLIPBOARD that Meltrow holds after Copy Output Log,
asked again and again while Meltrow converts many short files. Prints p50, p99 and max.
Usage: x11_clipboard_latency.py <Meltrow program> [files]  (run on an X display; scripts/bench-clipboard.sh)"""

import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from meltrow_x11 import make_sine, INPUT_LIST_AT, Meltrow, START_AT, wait_for  # noqa: E402

from Xlib import X, XK  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

# Where the content component puts Copy Output Log in an 800 x 650 window.
COPY_LOG_AT = (76, 622)


def paste_into_input_list(app, text):
    """Puts the text on the clipboard with xclip and pastes it with Ctrl+V: typing 300 paths key
    by key would take minutes."""
    xclip = subprocess.Popen(["xclip", "-selection", "clipboard", "-loops", "1"], stdin=subprocess.PIPE)
    xclip.communicate(text.encode())
    app.click(INPUT_LIST_AT)
    control = app.display.keysym_to_keycode(XK.string_to_keysym("Control_L"))
    v = app.display.keysym_to_keycode(XK.string_to_keysym("v"))
    for kind, code in ((X.KeyPress, control), (X.KeyPress, v), (X.KeyRelease, v), (X.KeyRelease, control)):
        xtest.fake_input(app.display, kind, code)
    app.display.sync()
    xclip.wait(timeout=10)


class ClipboardAsker:
    """A client of its own that asks for the clipboard and times the answer."""

    def __init__(self, display):
        self.display = display
        self.window = display.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self.clipboard = display.intern_atom("CLIPBOARD")
        self.utf8 = display.intern_atom("UTF8_STRING")
        self.property = display.intern_atom("MELTROW_BENCH_CLIPBOARD")

    def ask(self, timeout=5.0):
        """Seconds until the owner answered, or None when no text came back in time."""
        while self.display.pending_events():
            self.display.next_event()
        started = time.monotonic()
        self.window.convert_selection(self.clipboard, self.utf8, self.property, X.CurrentTime)
        self.display.flush()
        deadline = started + timeout
        while True:
            while self.display.pending_events():
                event = self.display.next_event()
                if event.type == X.SelectionNotify and event.requestor.id == self.window.id:
                    elapsed = time.monotonic() - started
                    answered = event.property != X.NONE
                    if answered:
                        self.window.delete_property(self.property)
                        self.display.flush()
                    return elapsed if answered else None
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([self.display], [], [], left)


def percentile(sorted_values, fraction):
    index = min(len(sorted_values) - 1, int(round(fraction * (len(sorted_values) - 1))))
    return sorted_values[index]


def main(program, count=300):
    with Meltrow(program, tempfile.mkdtemp(prefix="meltrow-clipboard-", dir="/tmp")) as app:
        music = os.path.join(app.root_folder, "m")
        os.makedirs(music)
        first = os.path.join(music, "0.wav")
        make_sine(first, 0.5)
        paths = [first]
        for index in range(1, count):
            paths.append(os.path.join(music, f"{index}.wav"))
            shutil.copyfile(first, paths[-1])

        app.start()
        paste_into_input_list(app, "\n".join(paths) + "\n")
        time.sleep(0.5)
        app.click(START_AT)
        outputs = os.path.join(music, "KIV_Wav")
        if not wait_for(app.converter_children, 30):
            raise RuntimeError("the run did not start")
        time.sleep(0.3)  # an empty log copies nothing; the log follows within 100 ms
        app.click(COPY_LOG_AT)

        asker = ClipboardAsker(app.display)
        if asker.ask() is None:
            raise RuntimeError("Copy Output Log put nothing on the clipboard")
        waits = []
        unanswered = 0
        while app.converter_children() or wait_for(app.converter_children, 1.0):
            elapsed = asker.ask()
            if elapsed is None:
                unanswered += 1
            else:
                waits.append(elapsed * 1000.0)
            time.sleep(0.02)

        done = len(os.listdir(outputs)) if os.path.isdir(outputs) else 0
        waits.sort()
        print(f"files converted: {done} of {count}; clipboard requests: {len(waits) + unanswered}, "
              f"unanswered: {unanswered}")
        if waits:
            print(f"clipboard answer (ms): p50 {percentile(waits, 0.50):.1f}  p99 {percentile(waits, 0.99):.1f}  "
                  f"max {waits[-1]:.1f}")
        app.quit()


if __name__ == "__main__":
    main(sys.argv[1], *(int(a) for a in sys.argv[2:3]))
