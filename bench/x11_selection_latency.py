#!/usr/bin/python3
"""Drives the real Meltrow window with a long input list and a long output log and times how it
keeps answering while the user selects in them. For each action, another X client asks the
window for the targets of the PRIMARY selection again and again (what `xclip -o -selection
primary -t TARGETS` asks), one request at a time, from just before the action over a bounded
period; printed per action and size: the requests, the max, p50 and p99 time to the answer, and
how many were not answered within the bound (100 ms). A request still unanswered after the cap
(60 s) ends the action's period: the window was blocked past it.

The actions, in this order:
- output log: Ctrl+A; Ctrl+C (what another program then reads from the clipboard is compared
  with the whole log); the wheel while all stays selected;
- input list: Ctrl+A; Ctrl+C (compared with the pasted list); the wheel while all stays
  selected; Shift+Ctrl+End from the top; Shift+click on the last line, scrolled there with the
  scroll bar from the top; typing while all is selected (the list must then hold what was typed).
Between actions a click in the editor and Ctrl+Home take the selection away, and the window is
given a bounded time to answer again.

How the editors are filled: the input list by one paste of its lines (Ctrl+V), as the user
pastes a list; the output log by Start over a pasted list of paths that name no file, which
the program tells in two log lines each and ends at once, without the converter: a log of
2 n + 3 lines in a few seconds, where a run of as many short files takes many minutes. The log
is read back with Copy Output Log, which also makes the window the owner of PRIMARY.

Usage: x11_selection_latency.py <Meltrow program> [--sizes 10000:10003,20000:20003,...]
  [--seconds S] [--cap S] [--bound-ms MS] [--screenshots FOLDER] [--max-minutes M]
(run on an X display: scripts/bench-selection.sh)"""

import argparse
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from meltrow_x11 import (CLEAR_INPUT_AT, COPY_LOG_AT, INPUT_LIST_AT, Meltrow, OUTPUT_LOG_AT,  # noqa: E402
                         paste_into_input_list, percentile, read_clipboard, SelectionAsker, START_AT,
                         wait_for)

from Xlib import X  # noqa: E402

# In the input list of an 800 x 650 window: its scroll bar's thumb while the list shows its
# top, a place below the list to drag that thumb to, and its last visible line.
INPUT_THUMB_AT = (777, 48)
BELOW_INPUT_LIST_AT = (777, 300)
INPUT_LAST_LINE_AT = (400, 250)

TYPED = "typedoverthelist"
REQUEST_GAP = 0.01  # seconds between one answer and the next request


class Bench:
    def __init__(self, app, arguments):
        self.app = app
        self.seconds = arguments.seconds
        self.cap = arguments.cap
        self.bound = arguments.bound_ms / 1000.0
        self.asker = SelectionAsker(app.display, "PRIMARY", "TARGETS")
        self.rows = []
        self.checks = []
        self.screenshots = arguments.screenshots

    def settle(self):
        """True once the window answers within the bound again; gives up after the cap."""
        deadline = time.monotonic() + self.cap
        while time.monotonic() < deadline:
            answer = self.asker.ask(timeout=max(0.1, deadline - time.monotonic()))
            if answer is not None and answer <= self.bound:
                return True
            time.sleep(0.05)
        return False

    def check_owner(self):
        owner = self.app.display.get_selection_owner(self.asker.selection)
        if owner == X.NONE:
            raise RuntimeError("nobody owns PRIMARY: the window's answers cannot be timed")

    def measure(self, name, lines, act, step=None, settled=True):
        """Times the answers from just before act() for the period; step(n) comes before each
        request, a bounded number of times."""
        self.check_owner()
        waits, late, exceeded = [], 0, False
        started = time.monotonic()
        act()
        for count in range(int(self.seconds / REQUEST_GAP) + 1):
            if time.monotonic() - started >= self.seconds:
                break
            if step is not None:
                step(count)
            asked = time.monotonic()
            answer = self.asker.ask(timeout=self.cap)
            if answer is None:
                late += 1
                if time.monotonic() - asked >= self.cap:
                    exceeded = True
                    break
                raise RuntimeError("the window refused the TARGETS request")
            waits.append(answer)
            late += answer > self.bound
            time.sleep(REQUEST_GAP)
        self.rows.append((name, lines, waits, late, exceeded, settled))
        print(format_row(self.rows[-1], self.bound, self.cap), flush=True)
        if self.screenshots:
            os.makedirs(self.screenshots, exist_ok=True)
            picture = f"{lines}-{len(self.rows):02d}-" + "".join(c if c.isalnum() else "-" for c in name) + ".png"
            self.app.screenshot(os.path.join(self.screenshots, picture))

    def reset(self, at):
        """Takes the selection away (a click) and puts the caret at the top; True once the window
        answers again within the cap."""
        self.app.click(at)
        self.app.key("Home", control=True)
        return self.settle()

    def compare_clipboard(self, what, expected):
        """What another program reads from the clipboard against the expected text."""
        try:
            copied = read_clipboard(timeout=self.cap)
        except subprocess.TimeoutExpired:
            copied = None
        if copied is None:
            verdict = f"not read within {self.cap:.0f} s"
        elif copied == expected:
            verdict = f"matched ({len(expected.encode())} bytes)"
        else:
            verdict = f"DIFFERS: {len(copied.encode())} bytes read, {len(expected.encode())} expected"
        self.checks.append(f"{what}: {verdict}")
        print(self.checks[-1], flush=True)

    def selection_actions(self, at, lines, editor, expected):
        """Ctrl+A, Ctrl+C, whose copy must be expected, and the wheel while all stays selected.
        Ctrl+C comes first, as the user presses it, while the caret still shows."""
        app = self.app
        settled = self.reset(at)
        self.measure(f"Ctrl+A in the {editor}", lines, lambda: app.key("a", control=True), settled=settled)
        self.measure(f"Ctrl+C in the {editor}, all selected", lines, lambda: app.key("c", control=True))
        # Ctrl+A leaves the view at the top, where the reset put it: one notch before each
        # request, twenty down, then twenty up, so that every notch moves the view.
        self.measure(f"wheel in the {editor}, all selected", lines, lambda: None,
                     step=lambda n: app.wheel(at, down=(n // 20) % 2 == 0))
        self.reset(at)
        self.compare_clipboard(f"Ctrl+C of all of the {editor} ({lines} lines)", expected)

    def log_actions(self, log, lines):
        self.selection_actions(OUTPUT_LOG_AT, lines, "output log", log)

    def input_actions(self, text, lines):
        app = self.app
        self.selection_actions(INPUT_LIST_AT, lines, "input list", text)

        settled = self.reset(INPUT_LIST_AT)
        self.measure("Shift+Ctrl+End in the input list", lines,
                     lambda: app.key("End", shift=True, control=True), settled=settled)

        settled = self.reset(INPUT_LIST_AT)
        app.drag(INPUT_THUMB_AT, BELOW_INPUT_LIST_AT)
        settled = self.settle() and settled
        self.measure("Shift+click in the input list", lines,
                     lambda: app.click(INPUT_LAST_LINE_AT, shift=True), settled=settled)

        settled = self.reset(INPUT_LIST_AT)
        app.key("a", control=True)
        settled = self.settle() and settled
        typed = []

        def type_one(count):
            if count < len(TYPED):
                typed.append(TYPED[count])
                app.type_text(TYPED[count])

        self.measure("typing in the input list, all selected", lines, lambda: None, step=type_one,
                     settled=settled)
        self.settle()
        app.key("a", control=True)
        app.key("c", control=True)
        self.settle()
        self.compare_clipboard("the input list after typing over all of it", "".join(typed))


def format_ms(seconds):
    return f"{seconds * 1000:.1f}"


def format_row(row, bound, cap):
    name, lines, waits, late, exceeded, settled = row
    ordered = sorted(waits)
    if exceeded:
        maximum = f"> {cap:.0f} s (exceeded the cap)"
    else:
        maximum = format_ms(ordered[-1]) if ordered else "-"
    p50 = format_ms(percentile(ordered, 0.50)) if ordered else "-"
    p99 = format_ms(percentile(ordered, 0.99)) if ordered else "-"
    requests = len(waits) + (1 if exceeded else 0)
    note = "" if settled else " (still blocked from before the action)"
    return f"| {name}{note} | {lines:,} | {requests} | {maximum} | {p50} | {p99} | {late} |"


def fill_log(app, root, log_lines, cap):
    """Fills the output log with log_lines lines by a Start over paths that name no file, and
    returns the log as Copy Output Log gives it."""
    missing = (log_lines - 3) // 2
    gone = os.path.join(root, "gone")
    paths = [os.path.join(gone, f"album-{i // 100:04d}", f"track-{i:05d}.flac") for i in range(missing)]
    paste_into_input_list(app, "\n".join(paths) + "\n")
    app.click(START_AT)
    # Such a run ends at once and tells with a message box that files were not converted.
    boxes = wait_for(app.message_boxes, 10)
    for box in boxes or []:
        app.request_close(box)
    wait_for(lambda: not app.message_boxes(), 10)

    def copied_whole_log():
        log = app.copied_log()
        return log if log.count("\n") == log_lines else None

    log = wait_for(copied_whole_log, cap, step=1.0)
    if log is None:
        raise RuntimeError(f"the output log did not reach {log_lines} lines")
    app.click(CLEAR_INPUT_AT)
    return log


def input_text(root, lines):
    """A list of paths of differing lengths, about 75 bytes each here, as a dropped folder gives
    (lines of one length would let JUCE merge the highlight's rectangles as it goes)."""
    music = os.path.join(root, "music")
    words = ["night", "river", "blue", "of", "the", "song", "remix", "live", "intro", "a"]
    return "".join(os.path.join(music, f"album-{i // 100:04d}",
                                f"{i % 100:02d} " + " ".join(words[(i * 7 + j) % len(words)]
                                                            for j in range(1 + i * 13 % 6)) + ".flac") + "\n"
                   for i in range(lines))


def parse_sizes(text):
    sizes = []
    for pair in text.split(","):
        input_lines, log_lines = (int(n) for n in pair.split(":"))
        if log_lines and (log_lines < 5 or log_lines % 2 == 0):  # what a log of not-found paths has
            raise SystemExit(f"a log of {log_lines} lines cannot be made: it has 2 n + 3 lines")
        sizes.append((input_lines, log_lines))
    return sizes


def interrupted(signal_number, _):
    raise SystemExit(f"stopped by signal {signal_number}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program")
    parser.add_argument("--sizes", type=parse_sizes, default="10000:10003,20000:20003,50000:50003,0:100003",
                        help="input lines:log lines, one program per pair; 0 leaves an editor out")
    parser.add_argument("--seconds", type=float, default=10.0, help="the period timed for each action")
    parser.add_argument("--cap", type=float, default=60.0,
                        help="the longest wait for one answer, and for the window to answer again")
    parser.add_argument("--bound-ms", type=float, default=100.0, help="an answer later than this counts as late")
    parser.add_argument("--screenshots", metavar="FOLDER",
                        help="a picture of the window after each action's period, to see what was timed")
    parser.add_argument("--max-minutes", type=float, default=90.0, help="the whole benchmark stops after this")
    arguments = parser.parse_args()

    # Every way out goes through the with block below, which kills the program.
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGALRM, interrupted)
    signal.alarm(int(arguments.max_minutes * 60))

    header = ["| action | lines | requests | max ms | p50 ms | p99 ms | late or unanswered |",
              "|---|---|---|---|---|---|---|"]
    print(f"PRIMARY TARGETS answers over {arguments.seconds:.0f} s per action; late: over "
          f"{arguments.bound_ms:.0f} ms; cap {arguments.cap:.0f} s", flush=True)
    rows, checks = [], []
    for input_lines, log_lines in arguments.sizes:
        with Meltrow(arguments.program, tempfile.mkdtemp(prefix="meltrow-selection-", dir="/tmp")) as app:
            app.start()
            bench = Bench(app, arguments)
            print(f"\ninput list {input_lines:,} lines, output log {log_lines:,} lines", flush=True)
            print("\n".join(header), flush=True)
            if log_lines:
                log = fill_log(app, app.root_folder, log_lines, arguments.cap)
                bench.log_actions(log, log_lines)
            if input_lines:
                text = input_text(app.root_folder, input_lines)
                paste_into_input_list(app, text)
                if not log_lines:
                    # An empty log copies nothing: the first line makes the window own PRIMARY.
                    app.key("Home", control=True)
                    app.key("End", shift=True)
                    app.key("c", control=True)
                bench.input_actions(text, input_lines)
            rows += bench.rows
            checks += bench.checks
    bound = arguments.bound_ms / 1000.0
    print("\nall sizes:")
    print("\n".join(header + [format_row(row, bound, arguments.cap) for row in rows]))
    print("\n".join(checks))


if __name__ == "__main__":
    main()
