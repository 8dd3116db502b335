"""The emulated board, driven from the host: QEMU started and stopped, its
screen read and its keyboard, touchscreen and tablet worked through QMP,
and commands run in the board's shell on its serial console."""
import json
import os
import re
import socket
import subprocess
import time

from picture import read_ppm

PANEL = (240, 320)
ABS_MAX = 0x7FFF  # the range of QEMU's absolute axes, touch and tablet alike


class BoardError(Exception):
    pass


def connect(path, seconds):
    deadline = time.monotonic() + seconds
    while True:
        try:
            sock = socket.socket(socket.AF_UNIX)
            sock.connect(path)
            return sock
        except OSError:
            sock.close()
            if time.monotonic() > deadline:
                raise BoardError(f"nothing listens on {path}")
            time.sleep(0.05)


class Board:
    def __init__(self, work, command, shots):
        """work: a directory for the sockets and the console's log; command:
        QEMU's command line, to which the sockets are added; shots: where
        named screens are kept as PNG files."""
        self.work, self.shots, self.shot_count, self.console_count = work, shots, 0, 0
        qmp, console = os.path.join(work, "qmp.sock"), os.path.join(work, "console.sock")
        for path in (qmp, console):
            if os.path.exists(path):
                os.remove(path)
        # QEMU's own messages go to a log: the guest's input drivers, for one,
        # set up features the virtio devices do not know and QEMU says so.
        with open(os.path.join(work, "qemu.log"), "w") as log:
            self.qemu = subprocess.Popen(command + [
                "-qmp", f"unix:{qmp},server=on,wait=off",
                "-chardev", f"socket,id=console,path={console},server=on,wait=off,"
                            f"logfile={os.path.join(work, 'console.log')}",
                "-serial", "chardev:console"], stdout=log, stderr=subprocess.STDOUT)
        qmp_socket = connect(qmp, 10)
        # A command QEMU never answers is a failure, not a hang.
        qmp_socket.settimeout(30)
        self.qmp = qmp_socket.makefile("rw")
        self.qmp.readline()
        self.execute("qmp_capabilities")
        self.console = connect(console, 10)
        self.console_text = ""
        self.tracking_id = 0
        # Where the last contact was: the kernel drops a contact's axis value
        # that has not changed since, so a program that opened the panel
        # since then would never learn it.
        self.finger_at = (None, None)

    def close(self):
        if self.qemu.poll() is None:
            try:
                self.execute("quit")
                self.qemu.wait(10)
            except (OSError, BoardError, subprocess.TimeoutExpired):
                self.qemu.kill()
                self.qemu.wait()

    # --- QMP -------------------------------------------------------------

    def execute(self, command, **arguments):
        request = {"execute": command}
        if arguments:
            request["arguments"] = arguments
        self.qmp.write(json.dumps(request) + "\n")
        self.qmp.flush()
        while True:
            line = self.qmp.readline()
            if not line:
                raise BoardError(f"QEMU went away during {command}")
            answer = json.loads(line)
            if "error" in answer:
                raise BoardError(f"{command}: {answer['error']['desc']}")
            if "return" in answer:
                return answer["return"]

    def send(self, *events):
        """Input events; QEMU hands each to the device that takes its kind:
        keys to the keyboard, mtt to the touchscreen, abs and btn to the
        tablet."""
        self.execute("input-send-event", events=list(events))

    # --- the serial console ------------------------------------------------

    def read_console_until(self, pattern, seconds):
        """Reads the console until pattern (a regular expression) matches,
        and returns the match; what came before it is dropped."""
        deadline = time.monotonic() + seconds
        while True:
            found = re.search(pattern, self.console_text)
            if found:
                self.console_text = self.console_text[found.end():]
                return found
            left = deadline - time.monotonic()
            if left <= 0 or self.qemu.poll() is not None:
                raise BoardError(f"no {pattern!r} on the console within {seconds} s")
            self.console.settimeout(left)
            try:
                data = self.console.recv(65536)
            except socket.timeout:
                continue
            self.console_text += data.decode("utf-8", "replace").replace("\r", "")

    def run(self, command, seconds=60):
        """Runs a one-line shell command on the board; returns (status,
        output)."""
        self.console_count += 1
        self.console_text = ""
        self.console.sendall(f"{self.console_count} {command}\n".encode())
        found = self.read_console_until(rf"(?s)(.*?)@@{self.console_count}:(\d+)\n", seconds)
        return int(found.group(2)), found.group(1)

    def output(self, command, seconds=60):
        """The output of a shell command that must succeed on the board."""
        status, text = self.run(command, seconds)
        if status != 0:
            raise BoardError(f"{command!r} failed with status {status}: {text.strip()}")
        return text

    # --- the screen ---------------------------------------------------------

    def screen(self, name=None):
        """The screen now; with a name, also kept as NN-name.png."""
        path = os.path.join(self.work, "screen.ppm")
        self.execute("screendump", filename=path, format="ppm")
        picture = read_ppm(path)
        if name:
            self.keep(picture, name)
        return picture

    def keep(self, picture, name):
        self.shot_count += 1
        picture.save_png(os.path.join(self.shots, f"{self.shot_count:02d}-{name}.png"))

    def settled_screen(self, name=None, seconds=10, pause=0.3):
        """The screen once it has stopped changing (the list's scrolling
        has come to rest, a box has been drawn)."""
        deadline = time.monotonic() + seconds
        last = self.screen()
        while time.monotonic() < deadline:
            time.sleep(pause)
            now = self.screen()
            if now.same_as(last):
                break
            last = now
        return self.screen(name) if name else last

    def wait_for_screen(self, test, seconds, pause=0.2):
        """The first screen for which test(picture) holds, or None."""
        deadline = time.monotonic() + seconds
        while True:
            picture = self.screen()
            if test(picture):
                return picture
            if time.monotonic() > deadline:
                return None
            time.sleep(pause)

    # --- input ----------------------------------------------------------------

    def key(self, qcode):
        for down in (True, False):
            self.send({"type": "key", "data": {"down": down, "key": {"type": "qcode", "data": qcode}}})
            time.sleep(0.05)

    @staticmethod
    def axis(value, size):
        """A panel coordinate on QEMU's absolute axis: the pixel's centre."""
        return int((value + 0.5) * (ABS_MAX + 1) / size)

    def _fresh(self, x, y):
        """The point, moved by a pixel on each axis on which the last contact
        lay, so that both of its axes reach every reader."""
        def apart(value, last, size):
            return value if value != last else value + 1 if value + 1 < size else value - 1
        return apart(x, self.finger_at[0], PANEL[0]), apart(y, self.finger_at[1], PANEL[1])

    def _finger(self, kind, x, y):
        self.finger_at = (x, y)
        events = [{"type": "mtt", "data": {"type": kind, "slot": 0, "tracking-id": self.tracking_id,
                                           "axis": "x", "value": 0}}]
        for axis, value, size in (("x", x, PANEL[0]), ("y", y, PANEL[1])):
            events.append({"type": "mtt", "data": {"type": "data", "slot": 0, "tracking-id": self.tracking_id,
                                                   "axis": axis, "value": self.axis(value, size)}})
        self.send(*events)

    def _lift(self):
        # The kernel ends a contact on tracking id -1.
        self.send({"type": "mtt", "data": {"type": "end", "slot": 0, "tracking-id": -1,
                                           "axis": "x", "value": 0}})

    def _tap_at(self, x, y):
        self.tracking_id += 1
        self._finger("begin", x, y)
        time.sleep(0.05)
        self._lift()

    def tap(self, x, y):
        self._tap_at(*self._fresh(x, y))

    def double_tap(self, x, y):
        """Two taps a pixel apart on each axis, as a finger lands; returns
        the time the second began."""
        self._tap_at(*self._fresh(x, y))
        time.sleep(0.15)
        second = time.monotonic()
        self._tap_at(*self._fresh(x, y))
        return second

    def swipe(self, x, y_from, y_to, steps=12, seconds=0.6):
        """A finger drawn from y_from to y_to, held still a moment before it
        lifts, so the list follows the finger and does not fling on."""
        self.tracking_id += 1
        x, y_from = self._fresh(x, y_from)
        self._finger("begin", x, y_from)
        for step in range(1, steps + 1):
            time.sleep(seconds / steps)
            self._finger("update", x, y_from + (y_to - y_from) * step / steps)
        time.sleep(0.5)
        self._lift()

    def move(self, x, y):
        """The tablet's pointer to a point of the panel."""
        self.send({"type": "abs", "data": {"axis": "x", "value": self.axis(x, PANEL[0])}},
                  {"type": "abs", "data": {"axis": "y", "value": self.axis(y, PANEL[1])}})

    def click(self, x, y):
        """A tablet click: a press that comes with the move is lost, so the
        pointer moves first. It comes from the pixel diagonally beside the
        point: the kernel drops an axis value that does not change, so a
        program started since the last click there would learn neither axis,
        and Qt takes the first move after it opens the device as none."""
        self.move(x + 1 if x + 1 < PANEL[0] else x - 1, y + 1 if y + 1 < PANEL[1] else y - 1)
        time.sleep(0.05)
        self.move(x, y)
        time.sleep(0.1)
        for down in (True, False):
            self.send({"type": "btn", "data": {"down": down, "button": "left"}})
            time.sleep(0.05)
