#!/usr/bin/python3
"""Drives the real Meltrow window through a run over many short files and prints how well it
kept answering:
- the input list is filled by one paste of all paths (Ctrl+V): the files converted tell how many
  arrived (reading the list back with Ctrl+A would select all of it, and JUCE's editor paints a
  selection in time that grows with the square of its lines);
- after Copy Output Log, another X client asks for the CLIPBOARD again and again while the run
  goes on: p50, p99 and max of the time to the answer, over the whole run;
- the run's own time per file over its first and its last tenth, and their ratio;
- after the run, Copy Output Log once more: does the whole log reach another program (xclip -o)?
Usage: x11_clipboard_latency.py <Meltrow program> [files] [--paste-bytes N] [--max-seconds S]
(run on an X display: scripts/bench-clipboard.sh)"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from meltrow_x11 import (make_sine, COPY_LOG_AT, Meltrow, paste_into_input_list, percentile,  # noqa: E402
                         read_clipboard, SelectionAsker, START_AT, wait_for)

DONE_TEXT = "\n\nall done!\nYou can check then output files and close this application."


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
    parser.add_argument("--max-seconds", type=float, default=0,
                        help="end the run (with Stop) after this long and report what it did until then")
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
        app.click(START_AT)
        if not wait_for(app.converter_children, 60):
            raise RuntimeError("the run did not start")
        started = time.monotonic()
        time.sleep(0.3)  # an empty log copies nothing; the log follows within 100 ms
        app.click(COPY_LOG_AT)

        asker = SelectionAsker(app.display)
        if asker.ask() is None:
            raise RuntimeError("Copy Output Log put nothing on the clipboard")
        waits = []  # (seconds into the run, milliseconds to the answer)
        unanswered = 0
        samples = [(0.0, 0)]
        next_sample = 1.0
        cut = False
        while app.converter_children() or wait_for(app.converter_children, 2.0):
            if arguments.max_seconds and time.monotonic() - started > arguments.max_seconds:
                cut = True
                app.click(START_AT)  # Stop
                wait_for(lambda: not app.converter_children(), 120)
                break
            elapsed = asker.ask()
            now = time.monotonic() - started
            if elapsed is None:
                unanswered += 1
            else:
                waits.append((now, elapsed * 1000.0))
            if now >= next_sample:
                samples.append((now, count_outputs(outputs)))
                next_sample = now + 1.0
            time.sleep(0.02)
        run_seconds = time.monotonic() - started
        done = count_outputs(outputs)
        samples.append((run_seconds, done))

        print(f"files converted: {done} of {count} in {run_seconds:.0f} s{' (stopped there)' if cut else ''}; "
              f"clipboard requests: "
              f"{len(waits) + unanswered}, unanswered: {unanswered}")
        if waits:
            ordered = sorted(w for _, w in waits)
            print(f"clipboard answer (ms): p50 {percentile(ordered, 0.50):.1f}  p99 {percentile(ordered, 0.99):.1f}  "
                  f"max {ordered[-1]:.1f}; over 50 ms: {sum(1 for w in ordered if w > 50.0)}")
            fifths = []
            for part in range(5):
                chosen = sorted(w for t, w in waits if part / 5 <= t / run_seconds < (part + 1) / 5)
                fifths.append(f"{percentile(chosen, 0.99):.1f}" if chosen else "-")
            print("clipboard answer p99 (ms) in each fifth of the run: " + "  ".join(fifths))
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
        if cut:
            print(f"Copy Output Log after the stopped run: {len(copied.encode()) if copied else 0} bytes")
        elif copied == expected:
            print(f"Copy Output Log after the run: whole ({len(expected.encode())} bytes)")
        else:
            got = len(copied.encode()) if copied is not None else 0
            print(f"Copy Output Log after the run: NOT whole, {got} of {len(expected.encode())} bytes")
        try:
            app.quit()
        except subprocess.TimeoutExpired:
            print("the window did not close within 15 s of the close request")


if __name__ == "__main__":
    main()
