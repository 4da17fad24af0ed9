#!/usr/bin/python3
"""A folder with links back into itself, dropped on the real program's window: the search ends,
each real file is converted once, and the window then quits on a close request and writes
config.json. Usage: real_app_linked_folder.py <Meltrow program>"""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from meltrow_x11 import make_sine, Checks, Meltrow, START_AT, wait_for  # noqa: E402

check = Checks()


def main(program):
    with Meltrow(program, tempfile.mkdtemp(prefix="meltrow-links-", dir="/tmp")) as app:
        tree = os.path.join(app.root_folder, "tree")
        os.makedirs(os.path.join(tree, "sub"))
        make_sine(os.path.join(tree, "A.WAV"), 0.2)
        make_sine(os.path.join(tree, "sub", "b.wav"), 0.2)
        for name, target in (("l1", "."), ("l2", "."), ("sub/up", "..")):
            os.symlink(target, os.path.join(tree, name))

        app.start()
        check(app.drop([tree]), "the window takes the drop")
        app.click(START_AT)
        check(wait_for(lambda: "all done!" in app.copied_log(), 60), "the run ends")

        converted = sorted(line.replace(tree, "<tree>") for line in app.copied_log().splitlines()
                           if line.startswith("Converting: "))
        print("\n".join(converted), flush=True)
        check(converted == ["Converting: <tree>/A.WAV => <tree>/KIV_Wav/A.wav",
                            "Converting: <tree>/sub/b.wav => <tree>/sub/KIV_Wav/b.wav"],
              "each real file is converted once, under its own path")

        app.request_close()
        try:
            app.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            pass
        check(app.process.poll() == 0, "a close request then quits")
        check(os.path.isfile(app.settings_file), "quitting writes config.json")

    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
