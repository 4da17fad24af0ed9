#!/usr/bin/python3
"""Folders dropped on the real program's window. One with links back into itself: the search
ends and each real file is converted once. One holding a file, a hard link to it and a link to it
from a subfolder, dropped with a folder named take.wav: every name gets its own output, and the
folder's own line is passed over without a word or an alert. The window then quits on a close
request and writes config.json. Usage: real_app_linked_folder.py <Meltrow program>"""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from meltrow_x11 import make_sine, Checks, Meltrow, START_AT, wait_for  # noqa: E402

check = Checks()
CLEAR_INPUT_AT = (716, 20)


def run_to_end(app):
    """Presses Start; the copied log once the run has ended, and whether an alert came."""
    app.click(START_AT)
    # While an alert is up the window takes no click, so the log is copied only when none is.
    ended = wait_for(lambda: app.message_boxes() or "all done!" in app.copied_log(), 60)
    check(ended, "the run ends")
    alerted = wait_for(app.message_boxes, 1)
    for box in app.message_boxes():
        app.request_close(box)
    wait_for(lambda: not app.message_boxes(), 10)
    return app.copied_log(), bool(alerted)


def main(program):
    with Meltrow(program, tempfile.mkdtemp(prefix="meltrow-links-", dir="/tmp")) as app:
        tree = os.path.join(app.root_folder, "tree")
        os.makedirs(os.path.join(tree, "sub"))
        make_sine(os.path.join(tree, "A.WAV"), 0.2)
        make_sine(os.path.join(tree, "sub", "b.wav"), 0.2)
        for name, target in (("l1", "."), ("l2", "."), ("sub/up", "..")):
            os.symlink(target, os.path.join(tree, name))

        names = os.path.join(app.root_folder, "names")
        os.makedirs(os.path.join(names, "sub"))
        make_sine(os.path.join(names, "a.wav"), 0.2)
        os.link(os.path.join(names, "a.wav"), os.path.join(names, "b.wav"))
        os.symlink("../a.wav", os.path.join(names, "sub", "c.wav"))
        take = os.path.join(app.root_folder, "take.wav")
        os.makedirs(take)
        make_sine(os.path.join(take, "inside.wav"), 0.2)

        app.start()
        check(app.drop([tree]), "the window takes the drop")
        log, _ = run_to_end(app)

        converted = sorted(line.replace(tree, "<tree>") for line in log.splitlines()
                           if line.startswith("Converting: "))
        print("\n".join(converted), flush=True)
        check(converted == ["Converting: <tree>/A.WAV => <tree>/KIV_Wav/A.wav",
                            "Converting: <tree>/sub/b.wav => <tree>/sub/KIV_Wav/b.wav"],
              "each real file is converted once, under its own path")

        app.click(CLEAR_INPUT_AT)
        check(app.drop([names, take]), "the window takes the second drop")
        log, alerted = run_to_end(app)
        print(log.replace(app.root_folder, "<root>"), flush=True)
        check(log.count("Conversion successful") == 4, "four items convert")
        for output in ("names/KIV_Wav/a.wav", "names/KIV_Wav/b.wav", "names/sub/KIV_Wav/c.wav",
                       "take.wav/KIV_Wav/inside.wav"):
            check(os.path.isfile(os.path.join(app.root_folder, output)), f"{output} is made")
        check("File not found" not in log and not alerted, "the folder's own line is passed over without a word")

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
