"""The checks of the kit on the emulated board's Wayland kiosk, run by
scripts/board-test.sh --wayland through checks.py: sway on the panel
(scripts/lib/board/kiosk), the launcher full screen on it, the player through
mpv's Wayland output, and panelnap through the kit's session agent. The
panel is read through QEMU's screendump as on the bare panel."""
import json
import time

from board import BoardError
from checks import LONG, Checks

# sway's debug log, in the folder the host reads as build-ARCH/board/wayland/logs/.
SWAY_LOG = "/logs/sway.log"


class WaylandChecks(Checks):
    """The launcher and panelnap run in the kiosk's session, as its user."""

    # sway composites in software on the emulated cores: a stop took 3.7 s
    # and 5.3 s there.
    stop_limit = 10.0
    # mpv times a double tap's two taps as it reads them, and its GPU output
    # stalls it in its first seconds on emulated cores: two of eight double
    # taps given 2 s into a clip were missed there, all of them the first
    # clip of the run.
    clip_settle = 6
    # The kiosk user's home holds the launcher's working directory.
    working_dir = "/newroot/home/kiosk/.local/share/mediakit"

    def in_session(self, log):
        return f"kiosk run {log}"

    def panelnap(self, seconds):
        self.board.output(f"{self.in_session('/tmp/panelnap.log')} /usr/bin/panelnap {seconds}")

    def sway_inputs(self):
        """sway on the panel, with the keyboard, the touchscreen and the
        tablet as its inputs."""
        started = time.monotonic()
        status, text = self.board.run(f"kiosk start {SWAY_LOG}", 60)
        if status != 0:
            log = self.board.output(f"tail -n 40 {SWAY_LOG}; true")
            raise BoardError(f"sway did not start: {text.strip()}\n{log}")
        text = self.board.output("kiosk run /tmp/inputs.json swaymsg -r -t get_inputs; cat /tmp/inputs.json")
        try:
            kinds = {device["type"] for device in json.loads(text)}
        except (ValueError, KeyError, TypeError):
            return [f"swaymsg told no inputs: {text.strip()[:300]}"]
        self.measured = f"answering {time.monotonic() - started:.1f} s after its start; inputs: " + ", ".join(sorted(kinds))
        return [f"no {kind} input" for kind in ("keyboard", "touch", "pointer") if kind not in kinds]

    def run(self):
        self.check("sway starts and takes the keyboard, the touchscreen and the tablet", self.sway_inputs,
                   needs_rows=False)
        self.check("first screen: the launcher full screen, title, list, About and Exit in place",
                   self.first_screen, needs_rows=False)
        self.check("Exit ends the launcher", self.launcher_exits, needs_rows=False)
        self.check(f"the launcher shows {LONG}", self.long_clips_shown, needs_rows=False)
        back = f"the launcher back within {self.stop_limit:.0f} s, same row current"
        self.long_check(f"mpv on Wayland: a double tap stops a clip, {back}",
                        lambda: self.stopped_in_time(self.double_tap_stop))
        self.long_check(f"mpv on Wayland: q stops a clip, {back}", lambda: self.stopped_in_time(self.key_stop("q")))
        self.long_check("panelnap 10 darkens the panel with the launcher up", self.panelnap_darkens_launcher)
        self.long_check("a key and a tap light the dark panel without changing the list",
                        self.input_lights_without_moving)
        self.long_check("panelnap 15 and no input darken the panel; a key lights it", self.idle_darkens)
        # mpv's Escape leaves full screen; q ends it.
        self.long_check("a clip that plays longer than the sleep time keeps the panel lit",
                        lambda: self.clip_keeps_lit("q"))
        self.long_check("panelnap 0 keeps the launcher's panel lit", self.never_keeps_lit)
        self.check("Exit ends the launcher", self.launcher_exits, needs_rows=False)
