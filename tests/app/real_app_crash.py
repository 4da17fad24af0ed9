#!/usr/bin/python3
"""The real program killed by SIGKILL in the middle of a conversion: within a second no converter
of that run is left, and no file stands at the output's name. Usage: real_app_crash.py <Meltrow program>"""

import os
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from meltrow_x11 import make_sine, is_alive, Checks, Meltrow, START_AT, REAL_TIME_CONFIG, wait_for  # noqa: E402

check = Checks()


def main(program):
    converters = []
    with Meltrow(program, tempfile.mkdtemp(prefix="meltrow-crash-", dir="/tmp")) as app:
        try:
            music = os.path.join(app.root_folder, "music")
            os.makedirs(music)
            song = os.path.join(music, "long.wav")
            output = os.path.join(music, "KIV_Wav", "long.wav")
            make_sine(song, 60)
            app.write_settings(REAL_TIME_CONFIG)

            app.start()
            app.type_into_input_list(song)
            app.click(START_AT)
            converters = wait_for(app.converter_children, 30)
            check(converters != [], "Start runs the converter")
            partial = os.path.join(music, "KIV_Wav", ".long.wav.partial.wav")
            check(wait_for(lambda: os.path.exists(partial), 10), "the converter writes a hidden partial file")
            check(not os.path.exists(output), "nothing stands at the output's name while it converts")

            app.process.send_signal(signal.SIGKILL)
            app.process.wait()
            killed_at = time.monotonic()
            left = wait_for(lambda: not [pid for pid in converters if is_alive(pid)], 1.0, step=0.01)
            print(f"converters left {time.monotonic() - killed_at:.3f} s after the kill: "
                  f"{[pid for pid in converters if is_alive(pid)]}", flush=True)
            check(left, "within 1 s of the kill no converter of the run is left")
            check(not os.path.exists(output), "no file stands at the output's name")
        finally:
            for pid in converters:
                if is_alive(pid):
                    os.kill(pid, signal.SIGKILL)

    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
