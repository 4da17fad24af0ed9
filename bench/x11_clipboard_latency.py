#!/usr/bin/python3
"""Drives the real Meltrow window through a run over many short files and prints how well it
kept answering:
- the input list is filled by one paste of all paths (Ctrl+V), and read back with Ctrl+A, Ctrl+C
  to count how many arrived;
- after Copy Output Log, another X client asks for the CLIPBOARD again and again while the run
  goes on: p50, p99 and max of the time to the answer, over the whole run;
- the run's own time per file over its first and its last tenth, and their ratio;
- after the run, Copy Output Log once more: does the whole log reach another program (xclip -o)?
Usage: x11_clipboard_latency.py <Meltrow program> [files] [--paste-bytes N]
(run on an X display: scripts/bench-clipboard.sh)"""

import argparse
import os
import select
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

DONE_TEXT = "\n\nall done!\nYou can check then output files and close this application."


def press_with_control(app, key_name):
    control = app.display.keysym_to_keycode(XK.string_to_keysym("Control_L"))
    key = app.display.keysym_to_keycode(XK.string_to_keysym(key_name))
    for kind, code in ((X.KeyPress, control), (X.KeyPress, key), (X.KeyRelease, key), (X.KeyRelease, control)):
        xtest.fake_input(app.display, kind, code)
    app.display.sync()


def read_clipboard():
    """The CLIPBOARD as another program gets it, or None when nothing came."""
    result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, timeout=120)
    return result.stdout.decode("utf-8", "replace") if result.returncode == 0 else None


def paste_into_input_list(app, text, piece_bytes):
    """Puts the text on the clipboard with xclip and pastes it with Ctrl+V, in pieces of at most
    piece_bytes when asked (for a program whose paste cuts long texts)."""
    pieces = [text]
    if piece_bytes:
        pieces, piece = [], ""
        for line in text.splitlines(keepends=True):
            if piece and len((piece + line).encode()) > piece_bytes:
                pieces.append(piece)
                piece = ""
            piece += line
        pieces.append(piece)
    app.click(INPUT_LIST_AT)
    for piece in pieces:
        xclip = subprocess.Popen(["xclip", "-selection", "clipboard", "-loops", "1"], stdin=subprocess.PIPE)
        xclip.communicate(piece.encode())
        time.sleep(0.2)  # xclip owns the selection now
        press_with_control(app, "v")
        xclip.wait(timeout=60)
        time.sleep(0.5)


def count_input_lines(app):
    """How many lines the input list holds, read back through the clipboard, or None."""
    app.click(INPUT_LIST_AT)
    press_with_control(app, "a")
    press_with_control(app, "c")
    time.sleep(0.5)
    text = read_clipboard()
    return None if not text else len(text.strip().split("\n"))


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


def time_to_reach(samples, count):
    """When the number of finished files reached count, from (seconds, files) samples."""
    for (t0, c0), (t1, c1) in zip(samples, samples[1:]):
        if c0 <= count <= c1 and c1 > c0:
            return t0 + (t1 - t0) * (count - c0) / (c1 - c0)
    return None


def seconds_per_file(samples, first, last):
    start, end = time_to_reach(samples, first), time_to_reach(samples, last)
    return None if start is None or end is None or last <= first else (end - start) / (last - first)


def count_outputs(folder):
    # The helper writes "."-named temporaries beside the outputs.
    return sum(1 for name in os.listdir(folder) if not name.startswith(".")) if os.path.isdir(folder) else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program")
    parser.add_argument("files", nargs="?", type=int, default=300)
    parser.add_argument("--paste-bytes", type=int, default=0,
                        help="paste the list in pieces of at most this many bytes")
    arguments = parser.parse_args()
    count = arguments.files

    with Meltrow(arguments.program, tempfile.mkdtemp(prefix="meltrow-clipboard-", dir="/tmp")) as app:
        music = os.path.join(app.root_folder, "m")
        os.makedirs(music)
        first = os.path.join(music, "0.wav")
        make_sine(first, 0.5)
        paths = [first]
        for index in range(1, count):
            paths.append(os.path.join(music, f"{index}.wav"))
            os.link(first, paths[-1])  # the same short file under many names, without the disk space
        outputs = os.path.join(music, "KIV_Wav")

        app.start()
        paste_into_input_list(app, "\n".join(paths) + "\n", arguments.paste_bytes)
        pasted = count_input_lines(app)
        app.click(START_AT)
        if not wait_for(app.converter_children, 60):
            raise RuntimeError("the run did not start")
        started = time.monotonic()
        time.sleep(0.3)  # an empty log copies nothing; the log follows within 100 ms
        app.click(COPY_LOG_AT)

        asker = ClipboardAsker(app.display)
        if asker.ask() is None:
            raise RuntimeError("Copy Output Log put nothing on the clipboard")
        waits = []
        unanswered = 0
        samples = [(0.0, 0)]
        next_sample = 1.0
        while app.converter_children() or wait_for(app.converter_children, 2.0):
            elapsed = asker.ask()
            if elapsed is None:
                unanswered += 1
            else:
                waits.append(elapsed * 1000.0)
            now = time.monotonic() - started
            if now >= next_sample:
                samples.append((now, count_outputs(outputs)))
                next_sample = now + 1.0
            time.sleep(0.02)
        run_seconds = time.monotonic() - started
        done = count_outputs(outputs)
        samples.append((run_seconds, done))

        print(f"input list after the paste: {pasted if pasted is not None else 'could not be read back'} "
              f"of {count} paths")
        print(f"files converted: {done} of {count} in {run_seconds:.0f} s; clipboard requests: "
              f"{len(waits) + unanswered}, unanswered: {unanswered}")
        waits.sort()
        if waits:
            print(f"clipboard answer (ms): p50 {percentile(waits, 0.50):.1f}  p99 {percentile(waits, 0.99):.1f}  "
                  f"max {waits[-1]:.1f}")
        tenth = done // 10
        at_start = seconds_per_file(samples, 0, tenth)
        at_end = seconds_per_file(samples, done - tenth, done)
        if at_start and at_end:
            print(f"time per file (ms): first tenth {at_start * 1000:.1f}, last tenth {at_end * 1000:.1f}, "
                  f"ratio {at_end / at_start:.2f}")

        # The whole log, as the window shows it once the run has ended.
        expected = "".join(f"Converting: {p} => {os.path.join(outputs, os.path.basename(p))}\n"
                           f"Conversion successful\n\n" for p in paths[:done]) + DONE_TEXT
        time.sleep(1.0)
        app.click(COPY_LOG_AT)
        copied = read_clipboard()
        if copied == expected:
            print(f"Copy Output Log after the run: whole ({len(expected.encode())} bytes)")
        else:
            got = len(copied.encode()) if copied is not None else 0
            print(f"Copy Output Log after the run: NOT whole, {got} of {len(expected.encode())} bytes")
        app.quit()


if __name__ == "__main__":
    main()
