#!/usr/bin/python3
"""Takes a picture of the Meltrow window after converting three example files.
Usage: screenshot.py <Meltrow program> <LANG value> <output.png>  (run on an X display)"""

import os
import shutil
import sys
import time

from meltrow_x11 import make_sine, Meltrow, START_AT, wait_for

EXAMPLES = [("Morning.flac", []), ("Evening.mp3", ["-codec:a", "libmp3lame"]), ("Night.wav", [])]


def main(program, language, output):
    # A fixed folder, so that the paths in the picture are the same at every run.
    root = "/tmp/meltrow-example-" + language.split(".")[0]
    shutil.rmtree(root, ignore_errors=True)
    with Meltrow(program, root, language) as app:
        music = os.path.join(app.home, "Music")
        os.makedirs(music)
        paths = []
        for name, options in EXAMPLES:
            path = os.path.join(music, name)
            make_sine(path, 3, ["-ac", "2", *options])
            paths.append(path)

        app.start()
        print("title:", app.title_of(app.window))
        app.type_into_input_list("\n".join(paths))
        app.click(START_AT)
        outputs = [os.path.join(music, "KIV_Wav", os.path.splitext(n)[0] + ".wav") for n, _ in EXAMPLES]
        wait_for(lambda: all(os.path.exists(o) for o in outputs) and not app.converter_children(), 30)
        time.sleep(1.0)  # the log follows within 100 ms; let everything paint
        app.screenshot(output)
        app.quit()


if __name__ == "__main__":
    main(*sys.argv[1:4])
