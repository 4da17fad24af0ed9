"""Drives the real Meltrow program on an X display (Xvfb): starts it in a home folder of its own,
finds its windows, types, clicks, pastes and asks it to close, and times another client's
requests for a selection. Used by the screenshot script, the window tests and the benchmarks.
Needs the Debian package python3-xlib (run with /usr/bin/python3)."""

import fcntl
import os
import select
import shutil
import signal
import subprocess
import termios
import time
from urllib.parse import quote

from Xlib import X, XK, display as xdisplay, protocol
from Xlib.ext import xtest

# Atoms every desktop session has. A bare Xvfb has none of them until a client makes them, and
# without them JUCE's windows ignore close requests and its clipboard stays empty.
DESKTOP_ATOMS = [
    "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS", "WM_STATE", "WM_CHANGE_STATE",
    "CLIPBOARD", "TARGETS", "UTF8_STRING", "_NET_WM_PING", "_NET_WM_STATE",
    "_NET_WM_STATE_HIDDEN", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL",
]

REAL_TIME_CONFIG = (
    '{"name":"kivWaveFile","samplerate":{"default":0,"value":[{"text":"44100","code":"-ar 44100 -af arealtime"}],"suffix":"Hz"},'
    '"bit":{"default":0,"value":[{"text":"16","code":"-acodec pcm_s16le"}],"suffix":"bit"},'
    '"channel":{"default":0,"value":[{"text":"mono","code":"-ac 1","value":1}],"suffix":""}}'
)

# Where the content component puts its widgets in an 800 x 650 window.
INPUT_LIST_AT = (400, 150)
OUTPUT_LOG_AT = (400, 414)
START_AT = (712, 622)
COPY_LOG_AT = (76, 622)
CLEAR_INPUT_AT = (716, 20)


class Checks:
    """A test's checks: each is printed as it is made, and the failed ones are kept."""

    def __init__(self):
        self.failures = []

    def __call__(self, condition, what):
        print(("ok   " if condition else "FAIL ") + what, flush=True)
        if not condition:
            self.failures.append(what)


def make_sine(path, seconds, options=()):
    """Writes a sine tone with the machine's ffmpeg; options go before the output (codec, ...)."""
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                    f"sine=frequency=440:duration={seconds}", *options, path], check=True)


def process_state(pid):
    """(state letter, parent pid) of a process, or None when there is no such process."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return fields[0], int(fields[1])
    except (OSError, IndexError, ValueError):
        return None


def is_alive(pid):
    """True while the process runs: neither gone nor a zombie."""
    state = process_state(pid)
    return state is not None and state[0] != "Z"


def read_clipboard(timeout=120):
    """The CLIPBOARD as another program (xclip) gets it, or None when nothing came."""
    result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, timeout=timeout)
    return result.stdout.decode("utf-8", "replace") if result.returncode == 0 else None


def percentile(sorted_values, fraction):
    index = min(len(sorted_values) - 1, int(round(fraction * (len(sorted_values) - 1))))
    return sorted_values[index]


def wait_for(condition, timeout, step=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(step)
    return condition()


def paste_into_input_list(app, text, piece_bytes=0):
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
        # In the foreground (-quiet), xclip ends once it has served the paste: the next piece
        # waits for that.
        xclip = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-loops", "1"],
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        xclip.stdin.write(piece.encode())
        xclip.stdin.close()
        time.sleep(0.5)  # xclip owns the selection now
        app.key("v", control=True)
        try:
            xclip.wait(timeout=120)
        except subprocess.TimeoutExpired:
            xclip.kill()  # a paste that never took the whole text
            xclip.wait()


class SelectionAsker:
    """A client of its own that asks a selection's owner for it (by default the clipboard's text)
    and times the answer."""

    def __init__(self, display, selection="CLIPBOARD", target="UTF8_STRING"):
        self.display = display
        self.window = display.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self.selection = display.intern_atom(selection)
        self.target = display.intern_atom(target)
        # Each request names a property of its own, so that a late answer to one that timed out
        # is not taken for the answer to the next.
        self.properties = [display.intern_atom(f"MELTROW_BENCH_SELECTION_{n}") for n in range(8)]
        self.requests = 0

    def ask(self, timeout=5.0):
        """Seconds until the owner answered, or None when no answer with data came in time."""
        while self.display.pending_events():
            self.display.next_event()
        wanted = self.properties[self.requests % len(self.properties)]
        self.requests += 1
        started = time.monotonic()
        self.window.convert_selection(self.selection, self.target, wanted, X.CurrentTime)
        self.display.flush()
        deadline = started + timeout
        while True:
            while self.display.pending_events():
                event = self.display.next_event()
                if (event.type == X.SelectionNotify and event.requestor.id == self.window.id
                        and event.property in (wanted, X.NONE)):
                    elapsed = time.monotonic() - started
                    answered = event.property != X.NONE
                    if answered:
                        self.window.delete_property(wanted)
                        self.display.flush()
                    return elapsed if answered else None
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([self.display], [], [], left)


class Meltrow:
    """One running Meltrow with its own HOME and TMPDIR below root_folder. Used in a with block,
    it is killed if still running, and root_folder removed, when the block ends."""

    def __init__(self, program, root_folder, language="en_US.UTF-8"):
        self.root_folder = root_folder
        self.display = xdisplay.Display()
        for name in DESKTOP_ATOMS:
            self.display.intern_atom(name)
        self.display.sync()

        self.home = os.path.join(root_folder, "home")
        self.temporary = os.path.join(root_folder, "tmp")
        for folder in (self.home, os.path.join(self.home, "Documents"), self.temporary):
            os.makedirs(folder, mode=0o700, exist_ok=True)

        environment = dict(os.environ, HOME=self.home, TMPDIR=self.temporary, LANG=language,
                           LC_ALL=language, LANGUAGE="")
        environment.pop("XDG_CONFIG_HOME", None)
        environment.pop("XDG_CACHE_HOME", None)
        self.program = program
        self.environment = environment
        self.process = None
        self.window = None
        self.terminal = None

    @property
    def settings_file(self):
        return os.path.join(self.home, "Documents", "KIV", "Meltrow", "config.json")

    def write_settings(self, text):
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        with open(self.settings_file, "w") as f:
            f.write(text)

    def start(self, in_terminal=False):
        """Starts the program; in_terminal: as from a shell in a terminal of its own (a pseudo
        terminal), whose keys and hang-up reach it as they do from a real one."""
        if in_terminal:
            self.terminal, child_end = os.openpty()
            # A session of its own whose controlling terminal is this one (setsid comes first).
            self.process = subprocess.Popen([self.program], env=self.environment, stdin=child_end,
                                            stdout=child_end, stderr=child_end, start_new_session=True,
                                            preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
            os.close(child_end)
        else:
            self.process = subprocess.Popen([self.program], env=self.environment, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL)
        if wait_for(self.main_window, 30) is None:
            raise RuntimeError("Meltrow showed no window")
        # The window is made again when it takes the native title bar; take the one that stays.
        time.sleep(1.0)
        self.window = self.main_window()

    def windows(self):
        """The mapped top-level windows of the program, newest last."""
        pid_atom = self.display.intern_atom("_NET_WM_PID")
        found = []
        for window in self.display.screen().root.query_tree().children:
            try:
                pid = window.get_full_property(pid_atom, X.AnyPropertyType)
                if pid is None or pid.value[0] != self.process.pid:
                    continue
                if window.get_attributes().map_state != X.IsViewable:
                    continue
                found.append(window)
            except Exception:
                continue  # a window that went away meanwhile
        return found

    def title_of(self, window):
        # JUCE writes WM_NAME as UTF8_STRING, which python-xlib's get_wm_name does not read.
        for atom_name in ("_NET_WM_NAME", "WM_NAME"):
            try:
                name = window.get_full_property(self.display.intern_atom(atom_name), X.AnyPropertyType)
            except Exception:
                return ""  # gone meanwhile
            if name is not None:
                value = name.value
                return value.decode("utf-8") if isinstance(value, bytes) else value
        return ""

    def main_window(self):
        for window in self.windows():
            if self.title_of(window).startswith("Meltrow"):
                return window
        return None

    def message_boxes(self):
        return [w for w in self.windows() if self.window is None or w.id != self.window.id]

    def geometry(self, window=None):
        window = window or self.window
        g = window.get_geometry()
        origin = window.translate_coords(self.display.screen().root, 0, 0)
        return -origin.x, -origin.y, g.width, g.height

    def move_to(self, at):
        x, y, _, _ = self.geometry()
        xtest.fake_input(self.display, X.MotionNotify, x=x + at[0], y=y + at[1])
        self.display.sync()

    def click(self, at, shift=False):
        shift_key = self.display.keysym_to_keycode(XK.string_to_keysym("Shift_L"))
        self.move_to(at)
        time.sleep(0.1)
        if shift:
            xtest.fake_input(self.display, X.KeyPress, shift_key)
        xtest.fake_input(self.display, X.ButtonPress, 1)
        xtest.fake_input(self.display, X.ButtonRelease, 1)
        if shift:
            xtest.fake_input(self.display, X.KeyRelease, shift_key)
        self.display.sync()
        time.sleep(0.2)

    def drag(self, start, end, steps=10):
        """Presses the left button at start, moves to end in steps and lets go there."""
        self.move_to(start)
        time.sleep(0.1)
        xtest.fake_input(self.display, X.ButtonPress, 1)
        self.display.sync()
        for step in range(1, steps + 1):
            time.sleep(0.02)
            self.move_to((start[0] + (end[0] - start[0]) * step // steps,
                          start[1] + (end[1] - start[1]) * step // steps))
        xtest.fake_input(self.display, X.ButtonRelease, 1)
        self.display.sync()
        time.sleep(0.2)

    def wheel(self, at, down=True):
        """One notch of the mouse wheel over the given place."""
        self.move_to(at)
        button = 5 if down else 4
        xtest.fake_input(self.display, X.ButtonPress, button)
        xtest.fake_input(self.display, X.ButtonRelease, button)
        self.display.sync()

    def key(self, keysym_name, shift=False, control=False):
        keycode = self.display.keysym_to_keycode(XK.string_to_keysym(keysym_name))
        modifiers = [self.display.keysym_to_keycode(XK.string_to_keysym(name))
                     for name, held in (("Control_L", control), ("Shift_L", shift)) if held]
        for modifier in modifiers:
            xtest.fake_input(self.display, X.KeyPress, modifier)
        xtest.fake_input(self.display, X.KeyPress, keycode)
        xtest.fake_input(self.display, X.KeyRelease, keycode)
        for modifier in reversed(modifiers):
            xtest.fake_input(self.display, X.KeyRelease, modifier)
        self.display.sync()
        time.sleep(0.01)

    def type_text(self, text):
        """Types plain text (letters, digits, "/", ".", "-", " ", line breaks) into the focused widget."""
        names = {"/": "slash", ".": "period", "-": "minus", " ": "space", "\n": "Return", "_": "underscore",
                 ":": "colon"}
        for character in text:
            shifted = character.isupper() or character in "_:"
            self.key(names.get(character, character.lower() if character.isalpha() else character), shifted)

    def type_into_input_list(self, text):
        self.click(INPUT_LIST_AT)
        self.type_text(text)

    def drop(self, paths, at=INPUT_LIST_AT, timeout=10):
        """Drops files or folders on the window as a file manager does (XDND, text/uri-list).
        True once the program has taken the drop; it handles it right after."""
        atom = self.display.intern_atom
        source = self.display.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        uri_list = "".join("file://" + quote(path) + "\r\n" for path in paths).encode()
        source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)

        def send(kind, *data):
            event = protocol.event.ClientMessage(window=self.window, client_type=atom(kind),
                                                 data=(32, [source.id, *data] + [0] * (4 - len(data))))
            self.window.send_event(event, event_mask=X.NoEventMask)
            self.display.sync()

        x, y, _, _ = self.geometry()
        send("XdndEnter", 3 << 24, atom("text/uri-list"))  # protocol version 3, the one JUCE reads
        send("XdndPosition", 0, ((x + at[0]) << 16) | (y + at[1]), X.CurrentTime, atom("XdndActionCopy"))

        dropped, finished = False, False
        deadline = time.monotonic() + timeout
        while not finished and time.monotonic() < deadline:
            if not self.display.pending_events():
                time.sleep(0.01)
                continue
            event = self.display.next_event()
            if event.type == X.SelectionRequest:
                event.requestor.change_property(event.property, event.target, 8, uri_list)
                event.requestor.send_event(protocol.event.SelectionNotify(
                    time=event.time, requestor=event.requestor, selection=event.selection,
                    target=event.target, property=event.property))
                self.display.sync()
            elif event.type == X.ClientMessage and event.client_type == atom("XdndStatus") and not dropped:
                send("XdndDrop", 0, X.CurrentTime)
                dropped = True
            elif event.type == X.ClientMessage and event.client_type == atom("XdndFinished"):
                finished = True
        source.destroy()
        self.display.sync()
        return finished

    def copied_log(self):
        """Presses Copy Output Log and returns what another program then reads from the clipboard."""
        self.click(COPY_LOG_AT)
        return read_clipboard(timeout=10) or ""

    def type_in_terminal(self, keys):
        """Types into the terminal the program was started from: b"\\x03" is Ctrl+C, b"\\x1c" Ctrl+\\."""
        os.write(self.terminal, keys)

    def close_terminal(self):
        """Closes the terminal the program was started from, as a user closes its window."""
        os.close(self.terminal)
        self.terminal = None

    def request_close(self, window=None):
        """What a window manager sends when the user closes a window."""
        window = window or self.window
        protocols = self.display.intern_atom("WM_PROTOCOLS")
        delete = self.display.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        self.display.sync()

    def converter_children(self):
        """The converter processes the program runs now."""
        children = []
        for entry in os.listdir("/proc"):
            if entry.isdigit():
                state = process_state(int(entry))
                if state is not None and state[1] == self.process.pid and state[0] != "Z":
                    children.append(int(entry))
        return children

    def screenshot(self, path):
        """The window as it shows on the screen, cut from a picture of the whole screen."""
        x, y, width, height = self.geometry()
        xtest.fake_input(self.display, X.MotionNotify, x=0, y=0)  # no button drawn as hovered
        self.display.sync()
        time.sleep(0.3)
        subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                        "-strip", path], check=True)

    def quit(self):
        """Closes the window as a user would, and waits for the program to end."""
        self.request_close()
        self.process.wait(timeout=15)

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.stop()
        if self.terminal is not None:
            os.close(self.terminal)
        shutil.rmtree(self.root_folder, ignore_errors=True)
