"""The checks of the kit on the emulated board, run by scripts/board-test.sh:
the launcher on the panel worked by keys, touches and the tablet, the player,
stopping, pausing and seeking it and where a stopped clip starts again, the
panel's sleep and the console's blanking through
panelnap and the power service, and the launcher's start-up time.
Prints one line per check, then "board: N passed, N failed".
Usage: checks.py --work DIR --images DIR [--idle] [--short | --16-bit | --wayland] -- QEMU COMMAND..."""
import argparse
import os
import re
import statistics
import sys
import time

from board import Board, BoardError
from picture import read_image

# The launcher's screen: title 0-40, list 40-290, About and Exit 290-320.
TITLE, BUTTONS = (0, 0, 240, 40), (0, 290, 240, 30)
# Where the list's rows hold text: clear of its frame and scroll bar.
TEXT = (3, 42, 200, 246)
CARD = "/media/card"
# Two 40-second clips, long enough to tell a clip stopped from one that ended.
LONG = "/media/long"
LONG_CLIPS = ("Long Walk.mp4", "Second Walk.mp4")
# The launcher's working directory, which its start script fills, in the
# board's root and as the board's shell sees it.
WORKING_DIR = "/root/.local/share/mediakit"
SHELL_ROOT = "/newroot"
# A stop is meant to bring the launcher back within a second; a check fails
# only far from that, as a board on a busy machine runs slow.
STOP_LIMIT = 5.0
# The title and the buttons show the kit's images pixel for pixel; the two
# button images differ from each other by about 23 on average.
IN_PLACE = 5
# The checks that can tell one architecture's build from another's: the
# first screen, a clip on each of the player's paths, panelnap on tty1.
SHORT = ("first_screen", "tap_chooses", "player_plays", "exit_to_text", "framebuffer_player",
         "panelnap_blanks_and_lights")


# The title and the buttons with the kit's images they show.
IMAGE_AREAS = (("title", TITLE, "banner"), ("About", (0, 290, 120, 30), "btn_about"),
               ("Exit", (120, 290, 120, 30), "btn_exit"))
# The colour bars clip: 240x180, centred on the panel, seven bars across its
# upper two thirds at three quarters of full strength.
BARS_CLIP = "Films/Colour Bars.avi"
BARS_TOP = (320 - 180) // 2
BARS = (("grey", (191, 191, 191)), ("yellow", (191, 191, 0)), ("cyan", (0, 191, 191)),
        ("green", (0, 191, 0)), ("magenta", (191, 0, 191)), ("red", (191, 0, 0)), ("blue", (0, 0, 191)))
# How far a bar's mean colour may lie from its own on any channel: the
# clip's YUV coding and 16 bits move it by a few steps, a swap by 100 and more.
BAR_TOLERANCE = 40


def bars_in_colour(picture):
    """The bars of the colour bars clip that are not in their colours on
    the screen, each as "name r,g,b"; empty when all are."""
    wrong = []
    for index, (name, colour) in enumerate(BARS):
        centre = 240 * (2 * index + 1) // 14
        seen = picture.crop(centre - 8, BARS_TOP + 20, 16, 80).mean_colour()
        if max(abs(a - b) for a, b in zip(seen, colour)) > BAR_TOLERANCE:
            wrong.append(f"{name} {','.join(f'{value:.0f}' for value in seen)}")
    return wrong


def region(picture, area):
    return picture.crop(*area)


def dark(r, g, b):
    return max(r, g, b) < 24


def bright(r, g, b):
    return min(r, g, b) > 150


def panel_dark(picture):
    """A panel put to sleep: QEMU shows its display as off, black but for
    one line of text."""
    return picture.share(dark) > 0.95


def text_bands(picture, area=TEXT):
    """(top, bottom) of each run of rows holding dark pixels: a list row's
    text, unless the row is drawn in the selection's colours."""
    bands, start = [], None
    for y, columns in enumerate(region(picture, area).dark_mask() + [set()]):
        if columns and start is None:
            start = y
        elif not columns and start is not None:
            bands.append((area[1] + start, area[1] + y - 1))
            start = None
    return bands


def best_shift(before, after):
    """The upward shift of the list's text from before to after, and the
    share of after's dark pixels it explains."""
    old, new = region(before, TEXT).dark_mask(), region(after, TEXT).dark_mask()
    best = (0, 0.0)
    for shift in range(1, len(old) - 20):
        pixels = sum(len(new[y]) for y in range(len(new) - shift))
        if pixels < 50:
            break
        hits = sum(len(new[y] & old[y + shift]) for y in range(len(new) - shift))
        if hits / pixels > best[1]:
            best = (shift, hits / pixels)
    return best


class Checks:
    # How long after a stop the launcher may be back.
    stop_limit = STOP_LIMIT
    # The launcher's working directory as the board's shell sees it.
    working_dir = SHELL_ROOT + WORKING_DIR
    # How long a clip plays before a check stops it.
    clip_settle = 2

    def __init__(self, board, images, idle):
        self.board, self.idle = board, idle
        self.images = {name: read_image(os.path.join(images, f"{name}.png"))
                       for name in ("banner", "btn_about", "btn_exit")}
        self.passed = self.failed = self.skipped = 0
        # The root list's names and the heights of their rows' centres, and
        # the same for the long clips' folder.
        self.rows = {}
        self.long_rows = {}
        # The launcher's screen as the last check left it.
        self.screen = None
        # What the running check measured, printed with its result.
        self.measured = None
        # The names of the check methods to run; None runs them all.
        self.only = None

    def report(self, name, problems):
        measured = f" ({self.measured})" if self.measured else ""
        if problems:
            self.failed += 1
            print(f"FAIL: {name}{measured}: {'; '.join(problems)}", flush=True)
        else:
            self.passed += 1
            print(f"PASS: {name}{measured}", flush=True)

    def check(self, name, steps, needs_rows=True, needs_long_rows=False):
        """Runs steps(), which returns the problems it found and may leave
        what it measured in self.measured for the report; an error of the
        board fails the check instead of ending the run."""
        if self.only is not None and getattr(steps, "__name__", None) not in self.only:
            return
        self.measured = None
        if needs_rows and not self.rows:
            problems = ["the list's rows were not found on the first screen"]
        elif needs_long_rows and not self.long_rows:
            problems = [f"the rows of {LONG} were not found"]
        else:
            try:
                problems = steps()
            except BoardError as error:
                problems = [str(error)]
        self.report(name, problems)

    def long_check(self, name, steps):
        """A check of the launcher on the long clips."""
        self.check(name, steps, needs_rows=False, needs_long_rows=True)

    def skip(self, name, why):
        if self.only is not None:
            return
        self.skipped += 1
        print(f"SKIP: {name} ({why})", flush=True)

    # --- helpers ----------------------------------------------------------------

    def launcher_shown(self, picture):
        return region(picture, TITLE).difference(self.images["banner"]) < IN_PLACE

    def still_frame_but_list(self, before, after):
        """The title and the buttons have not changed."""
        return (region(before, TITLE).same_as(region(after, TITLE))
                and region(before, BUTTONS).same_as(region(after, BUTTONS)))

    def changed_screen(self, before, seconds, **kwargs):
        """The screen once it differs from before and has settled, or None."""
        if not self.board.wait_for_screen(lambda now: not now.same_as(before), seconds):
            return None
        return self.board.settled_screen(**kwargs)

    def wait_for_player_exit(self, seconds=60):
        """Waits until no player runs: the launcher takes input again only
        once the player and its helper have exited, and drops what was
        given before."""
        deadline = time.monotonic() + seconds
        while self.players():
            if time.monotonic() > deadline:
                raise BoardError(f"the player still runs after {seconds} s")
            time.sleep(0.2)

    def launcher_status(self):
        status, text = self.board.run("cat /tmp/launcher.status")
        return text.strip() if status == 0 else None

    def in_session(self, log):
        """The board's command that runs a program where the user sees it,
        its output to log: here on tty1."""
        return f"board tty1 {log}"

    def start_launcher(self, folder, environment=""):
        """Starts the launcher where the user sees it, showing folder;
        returns its first screen once settled, or None."""
        self.board.output("rm -f /tmp/launcher.status")
        self.board.output(f"({self.in_session('/tmp/launcher.log')} env {environment} MOVDIR={folder}"
                          " /usr/bin/mediakit-launcher; echo $? > /tmp/launcher.status) &")
        if not self.board.wait_for_screen(self.launcher_shown, 90):
            return None
        return self.board.settled_screen()

    def end_launcher(self):
        """Exit, and the launcher's exit status."""
        self.board.click(180, 305)
        deadline = time.monotonic() + 30
        while self.launcher_status() is None and time.monotonic() < deadline:
            time.sleep(0.2)
        return self.launcher_status()

    def panelnap(self, seconds):
        """panelnap from the serial console's shell, the launcher up on tty1."""
        self.board.output(f"board run /usr/bin/panelnap {seconds} >/dev/null")

    def back_to(self, before, seconds):
        """The launcher's screen as before, the same row current, within
        seconds; polled without pause."""
        return self.board.wait_for_screen(lambda now: now.difference(before) < 0.5, seconds, pause=0)

    def play_current(self):
        """Enter on the current clip; the screen once the player draws, or
        None."""
        before = self.screen
        self.board.key("ret")
        return self.board.wait_for_screen(lambda now: now.difference(before) > 10, 90)

    def players(self):
        """The player processes on the board and the shell running exec, as
        their /proc stat lines (pid, name, state); empty when none is left."""
        return self.board.output("for p in $(pidof mpv ffmpeg zorvid-panel sh); do"
                                 " case $(cut -d' ' -f2 /proc/$p/stat) in '(sh)')"
                                 " [ \"$(tr '\\0' ' ' < /proc/$p/cmdline)\" = '/bin/sh ./exec ' ] || continue;; esac;"
                                 " cut -d' ' -f1-3 /proc/$p/stat; done 2>/dev/null; true").strip()

    def stopped_in_time(self, stop):
        """Plays the current 40-second clip and, clip_settle seconds in, stops it by
        stop(), which sends the input and returns when the stopping press
        went out. The launcher must be back: no player left and its screen
        as before, the same row current. It is meant to be back within a
        second; the check fails only past stop_limit, so that a busy machine
        does not fail it, and tells the time measured."""
        before = self.screen
        if not self.play_current():
            return ["the clip did not start within 90 s"]
        time.sleep(self.clip_settle)
        pressed = stop()
        deadline, back = pressed + 2 * self.stop_limit, None
        while back is None and time.monotonic() < deadline:
            if not self.players() and self.board.screen().difference(before) < 0.5:
                back = time.monotonic() - pressed
        if back is None:
            self.board.screen("not-back")
            left = self.players()
            # Ended here, so that the checks after this one find the launcher.
            self.board.run("kill -KILL $(pidof mpv ffmpeg zorvid-panel)")
            waited = 2 * self.stop_limit
            return [f"{waited:.0f} s after the stop, players left: {left}" if left else
                    f"{waited:.0f} s after the stop, the screen is not the launcher's as before"]
        self.measured = f"back {back:.1f} s after the stop"
        return [f"the launcher was back only {back:.1f} s after the stop"] if back > self.stop_limit else []

    def positions(self):
        """The positions saved in the launcher's working directory, in
        seconds."""
        text = self.board.output(f"cat {self.working_dir}/resume/* 2>/dev/null; true")
        return [float(seconds) for seconds in re.findall(r"^start=([0-9.]+)$", text, re.M)]

    def forget_positions(self):
        self.board.output(f"rm -rf {self.working_dir}/resume")

    def player_start(self):
        """Where the running player was started in the clip: mpv's --start,
        ffmpeg's -ss, else 0."""
        text = self.board.output("for p in $(pidof mpv ffmpeg); do tr '\\0' ' ' < /proc/$p/cmdline; echo; done"
                                 " 2>/dev/null; true")
        found = re.search(r"--start=([0-9.]+)| -ss ([0-9.]+) ", text)
        return float(found.group(1) or found.group(2)) if found else 0.0

    def stop_and_wait(self, qcode, before):
        """Stops the clip by the key; whether the launcher was back as before."""
        self.board.key(qcode)
        back = self.back_to(before, 10)
        self.wait_for_player_exit()
        return back

    def resumes_near_8_s(self, stop_key):
        """The current 40-second clip stopped about 10 s in; played again,
        it starts about 2 s earlier, and plays from there."""
        self.forget_positions()
        before = self.screen
        if not self.play_current():
            return ["the clip did not start within 90 s"]
        time.sleep(10)
        if not self.stop_and_wait(stop_key, before):
            return ["the launcher was not back after the stop"]
        saved = self.positions()
        print(f"board: stopped 10 s in, position saved: {saved}", flush=True)
        if len(saved) != 1 or not 8.5 <= saved[0] <= 14:
            return [f"positions saved {saved}, expected one near 10 s"]
        if not self.play_current():
            return ["played again, the clip did not start within 90 s"]
        started, start = time.monotonic(), self.player_start()
        problems = []
        if not saved[0] - 2.5 <= start <= saved[0] - 1.5:
            problems.append(f"played again from {start:.1f} s, with {saved[0]:.1f} s saved")
        time.sleep(2)
        if not self.stop_and_wait(stop_key, before):
            problems.append("the launcher was not back after the second stop")
        ran, again = time.monotonic() - started, self.positions()
        print(f"board: played again from {start:.1f} s, stopped {ran:.1f} s later at {again}", flush=True)
        # Played on from there, however slowly the board's player got going
        # (mpv once showed 0.6 s of the clip in 3.7 s after a start at 7.8 s).
        if len(again) != 1 or not start < again[0] <= start + ran + 4:
            problems.append(f"stopped {ran:.1f} s after starting from {start:.1f} s, saved {again}")
        self.forget_positions()
        return problems

    def pauses_and_seeks(self, stop_key):
        """Enter pauses the current clip: the screen stays still for 2 s. A
        tap plays on, Right seeks 10 s on: stopped then, the position saved
        is about 10 s past the time it played."""
        self.forget_positions()
        before = self.screen
        if not self.play_current():
            return ["the clip did not start within 90 s"]
        shown = time.monotonic()
        time.sleep(3)
        paused_at = time.monotonic()
        self.board.key("ret")
        time.sleep(1)
        paused, problems = self.board.screen(), []
        still_until = time.monotonic() + 2
        while time.monotonic() < still_until:
            if not self.board.screen().same_as(paused):
                self.board.screen("moving-while-paused")
                problems.append("the screen moved within 2 s of Enter")
                break
            time.sleep(0.2)
        # A single tap acts once the double tap's half second has passed;
        # ffmpeg plays on by starting again, which takes the board seconds.
        tapped = time.monotonic()
        self.board.tap(120, 160)
        if not self.board.wait_for_screen(lambda now: not now.same_as(paused), 30):
            problems.append("a tap did not play the paused clip on within 30 s")
        resumed = time.monotonic()
        self.measured = f"played on {resumed - tapped:.1f} s after the tap"
        played = paused_at - shown
        seeking = self.board.screen()
        self.board.key("right")
        played += time.monotonic() - resumed
        self.board.wait_for_screen(lambda now: not now.same_as(seeking), 30)
        time.sleep(1.5)
        played += 1.5
        if not self.stop_and_wait(stop_key, before):
            problems.append("the launcher was not back after the stop")
        saved = self.positions()
        print(f"board: played about {played:.1f} s with a seek of 10 s, position saved: {saved}", flush=True)
        if len(saved) != 1 or not 5 <= saved[0] - played <= 16:
            problems.append(f"played about {played:.1f} s with a seek of 10 s, saved {saved}")
        self.forget_positions()
        return problems

    def key_stop(self, qcode):
        def stop():
            pressed = time.monotonic()
            self.board.key(qcode)
            return pressed
        return stop

    def double_tap_stop(self):
        return self.board.double_tap(120, 160)

    # --- the checks -------------------------------------------------------------

    def start_up_figures(self, runs=5):
        """The launcher's CPU time from start to its first frame on 20
        entries, beside a window with one line of text, measured alike: the
        first-frame probe preloaded, each started through a shell script."""
        probe = "LD_PRELOAD=/opt/board/libfirst_frame_probe.so"
        commands = {
            "launcher": f"env {probe} MOVDIR={CARD}/Collection /usr/bin/mediakit-launcher",
            "label": f"env {probe} sh -c 'exec /opt/board/minimal_window --label'",
        }
        times = {name: [] for name in commands}
        # The first Qt start builds fontconfig's cache (kept between runs).
        for run in range(runs + 1):
            for name, command in commands.items():
                text = self.board.output(f"board tty1 /tmp/probe.log {command}; cat /tmp/probe.log", 120)
                found = re.search(r"^first-frame cpu_ms=([0-9.]+)", text, re.MULTILINE)
                if not found:
                    raise BoardError(f"no first frame from {name}: {text.strip()}")
                if run > 0:
                    times[name].append(float(found.group(1)))
        launcher, label = statistics.median(times["launcher"]), statistics.median(times["label"])
        print(f"start-up on the board, CPU ms to the first frame, median of {runs}: "
              f"launcher on 20 entries {launcher:.0f}, window with one line of text {label:.0f} "
              f"({launcher / label:.2f}x)", flush=True)

    def listing_figures(self, entries=16000, runs=5):
        """Opening a folder of a full memory card's clips against reading
        and sorting the same names, and one scroll step's repaint, as
        scripts/bench.sh measures them, on the panel."""
        folder = f"/tmp/listing-{entries}"
        self.board.output(f"board run /opt/board/make_media_dir {folder} {entries}", 600)
        text = self.board.output(f"board run /opt/board/listing_bench {runs} {folder}", 900)
        self.board.output(f"board run rm -rf {folder}", 120)
        found = re.search(r"^\d+\s+\d+\s+([0-9.]+)\s+([0-9.]+)\s+([0-9.]+)\s+([0-9.]+)", text, re.MULTILINE)
        if not found:
            raise BoardError(f"no figures from listing_bench: {text.strip()}")
        listed, floor, ratio, scroll = (float(value) for value in found.groups())
        print(f"a folder of {entries} clips on the board, CPU ms, median of {runs}: opened and painted "
              f"{listed:.0f}, readdir and sort {floor:.0f} ({ratio:.2f}x); one scroll step's repaint "
              f"{scroll:.1f}", flush=True)

    def first_screen(self):
        screen = self.start_launcher(CARD)
        if not screen:
            return ["the launcher's title never showed"]
        self.board.keep(screen, "first-screen")
        problems = []
        for name, area, image in (("title", TITLE, "banner"), ("About", (0, 290, 120, 30), "btn_about"),
                                  ("Exit", (120, 290, 120, 30), "btn_exit")):
            difference = region(screen, area).difference(self.images[image])
            if difference >= IN_PLACE:
                problems.append(f"{name} not in place (differs by {difference:.0f})")
        # The card: ".", "..", then five names that each make a band of text.
        names = [band for band in text_bands(screen) if band[1] - band[0] >= 5]
        if len(names) != 5:
            problems.append(f"{len(names)} names in the list, expected 5")
        else:
            for name, (top, bottom) in zip(("Collection", "Films", "Holiday 2026", "Music Videos",
                                            "Welcome.mp4"), names):
                self.rows[name] = (top + bottom) // 2
        self.screen = screen
        return problems

    def keys_and_box(self):
        before = self.screen
        self.board.key("down")
        moved = self.changed_screen(before, 10, name="key-down")
        if not moved:
            return ["Down changed nothing"]
        problems = []
        # The current row moves within ".." and ".", above the first name.
        changed = moved.changed_rows(before)
        if not self.still_frame_but_list(before, moved) or max(changed) >= self.rows["Collection"]:
            problems.append(f"Down changed rows {min(changed)} to {max(changed)}, not the list's first two")
        for key, closer in (("f10", "ret"), ("f10", "esc")):
            self.board.key(key)
            box = self.changed_screen(moved, 15, name=f"box-{closer}")
            if not box or len(box.changed_rows(moved)) < 30:
                problems.append(f"{key.upper()} showed no box")
                continue
            self.board.key(closer)
            if not self.board.wait_for_screen(lambda now: now.difference(moved) < 0.5, 15):
                problems.append(f"{closer} did not close the box")
        self.screen = self.board.settled_screen()
        return problems

    def tap_chooses(self):
        before, y = self.screen, self.rows["Welcome.mp4"]
        self.board.tap(120, y)
        after = self.changed_screen(before, 10, name="tap")
        if not after:
            return ["a tap on Welcome.mp4 changed nothing"]
        self.screen = after
        changed = after.changed_rows(before)
        if y not in changed or not self.still_frame_but_list(before, after):
            return [f"the tap at y={y} changed rows {min(changed)} to {max(changed)}"]
        return []

    def player_plays(self):
        before = self.screen
        self.board.key("ret")
        playing = self.board.wait_for_screen(lambda now: now.difference(before) > 10, 90)
        if not playing:
            return ["no player showed within 90 s"]
        problems, pictures, back, kept = [], {playing.rgb}, False, False
        deadline = time.monotonic() + 60
        while not back and time.monotonic() < deadline:
            time.sleep(0.1)
            now = self.board.screen()
            back = self.launcher_shown(now)
            if not back:
                pictures.add(now.rgb)
                # A frame of the clip, not the black the player starts with.
                if not kept and now.share(dark) < 0.6:
                    self.board.keep(now, "player")
                    kept = True
        if len(pictures) < 3:
            problems.append(f"{len(pictures)} different pictures while it played")
        if not back:
            problems.append("the launcher did not come back after the player")
        # Back means the player gone too, and with it its hold on the input.
        self.wait_for_player_exit()
        launch = self.board.output(f"cat {self.working_dir}/exec").strip()
        if launch != f'./zorvid "{CARD}/Welcome.mp4"':
            problems.append(f"exec holds {launch!r}")
        self.screen = self.board.settled_screen("after-player")
        return problems

    def double_tap_enters(self):
        before = self.screen
        self.board.double_tap(120, self.rows["Collection"])
        after = self.changed_screen(before, 15, name="double-tap")
        if not after:
            return ["a double tap on Collection changed nothing"]
        self.screen = after
        # Collection's 20 entries and more fill the list to its bottom.
        bands = text_bands(after)
        if not bands or bands[-1][1] < TEXT[1] + TEXT[3] - 30:
            return ["the list after the double tap is not Collection's full one"]
        return []

    def swipe_scrolls(self):
        before = self.screen
        self.board.swipe(110, 250, 110)
        after = self.changed_screen(before, 15, name="swipe")
        if not after:
            return ["the swipe changed nothing"]
        self.screen = after
        shift, share = best_shift(before, after)
        if shift < 40 or share < 0.8 or not self.still_frame_but_list(before, after):
            return [f"the list's text did not move up (best shift {shift} px explains {share:.0%})"]
        return []

    def double_tap_in_long_folder(self):
        """A double tap on a clip of Collection, scrolled down past the
        panel: that clip goes to the player (Collection's clips are empty
        files, which it gives up at once), and its row is current."""
        before = self.screen
        names = [band for band in text_bands(before) if band[1] - band[0] >= 5]
        if len(names) < 6:
            return [f"{len(names)} names shown in Collection"]
        top, bottom = names[len(names) // 2]
        y = (top + bottom) // 2
        self.board.output(f"rm -f {self.working_dir}/exec")
        self.board.double_tap(120, y)
        deadline = time.monotonic() + 30
        while self.board.run(f"test -s {self.working_dir}/exec")[0] != 0:
            if time.monotonic() > deadline:
                return [f"a double tap at y={y} started nothing"]
            time.sleep(0.2)
        problems = []
        launch = self.board.output(f"cat {self.working_dir}/exec").strip()
        if not re.fullmatch(rf'\./zorvid "{CARD}/Collection/[^/"]+"', launch):
            problems.append(f"exec holds {launch!r}")
        # mpv takes several seconds on the board to give up an empty clip,
        # and draws nothing meanwhile: the launcher is back only once exec's
        # shell has ended. Input given before then is the player's.
        started = time.monotonic()
        while not self.players() and time.monotonic() < started + 10:
            time.sleep(0.2)
        self.wait_for_player_exit()
        self.measured = f"the player gave up the empty clip {time.monotonic() - started:.1f} s after exec was written"
        if not self.board.wait_for_screen(self.launcher_shown, 30):
            problems.append("the launcher did not come back")
        after = self.board.settled_screen("double-tap-long-folder")
        if y not in after.changed_rows(before):
            problems.append(f"the row at y={y} is not current")
        self.screen = after
        return problems

    def exit_to_text(self):
        status = self.end_launcher()
        problems = [] if status == "0" else [f"the launcher's exit status is {status}"]
        text_mode = self.board.settled_screen("after-exit")
        self.board.output("board show back in text mode")
        shown = self.changed_screen(text_mode, 5, name="text-mode")
        if not shown or text_mode.share(dark) < 0.5:
            problems.append("tty1 does not show text")
        return problems

    def framebuffer_player(self):
        """The player stand-in where the board had no DRM display: ffmpeg
        writes the clip to the framebuffer."""
        before = self.board.settled_screen()
        self.board.output(f"(board tty1 /tmp/player.log env ZORVID_DRM_CARD= {WORKING_DIR}/zorvid"
                          f" '{CARD}/Music Videos/Mandelbrot Zoom.mp4'; echo $? > /tmp/player.status) &")
        pictures, deadline, status = set(), time.monotonic() + 60, None
        while status is None and time.monotonic() < deadline:
            time.sleep(0.1)
            now = self.board.screen()
            if not now.same_as(before):
                if not pictures:
                    self.board.keep(now, "framebuffer-player")
                pictures.add(now.rgb)
            answer, text = self.board.run("cat /tmp/player.status 2>/dev/null")
            status = text.strip() if answer == 0 else None
        problems = []
        if status != "0":
            log = self.board.output("cat /tmp/player.log").strip()
            problems.append(f"zorvid ended with status {status}: {log}")
        if len(pictures) < 3:
            problems.append(f"{len(pictures)} different pictures while it played")
        return problems

    def framebuffer_clip_redrawn(self):
        """The launcher on a panel with no DRM display: a clip plays to its
        end on the framebuffer, then the launcher's whole screen is there
        again as it was."""
        if not self.start_launcher(CARD, "ZORVID_DRM_CARD="):
            return ["the launcher's title never showed"]
        self.board.key("end")
        self.screen = before = self.board.settled_screen("framebuffer-clip-before")
        problems = [] if self.play_current() else ["the clip never showed"]
        self.wait_for_player_exit()
        if not self.board.wait_for_screen(lambda now: now.same_as(before), 10):
            rows = self.board.screen("framebuffer-clip-after").changed_rows(before)
            problems.append(f"rows {min(rows)} to {max(rows)} differ from the screen before the clip")
        status = self.end_launcher()
        if status != "0":
            problems.append(f"the launcher's exit status is {status}")
        return problems

    def panelnap_blanks_and_lights(self):
        # A white console: lit and blank tell apart at a glance.
        self.board.output(r"printf '\033[47m\033[2J' > /dev/tty1")
        problems = []
        if not self.board.wait_for_screen(lambda now: now.share(bright) > 0.8, 5):
            problems.append("tty1 did not turn white")
        self.board.screen("white-console")
        for value, test, what in (("10", dark, "blank"), ("0", bright, "lit")):
            self.board.output(f"board tty1 /tmp/panelnap.log /usr/bin/panelnap {value}")
            if not self.board.wait_for_screen(lambda now: now.share(test) > 0.8, 10):
                problems.append(f"panelnap {value} did not leave the screen {what}")
            self.board.screen(f"panelnap-{value}")
        return problems

    def timed_blank(self):
        # 45 seconds reach the console as its blank timer in whole minutes.
        self.board.output("board tty1 /tmp/panelnap.log /usr/bin/panelnap 45")
        problems = []
        time.sleep(30)
        if self.board.screen().share(bright) < 0.8:
            problems.append("blank before its time")
        if not self.board.wait_for_screen(lambda now: now.share(dark) > 0.8, 60, pause=1):
            problems.append("not blank 90 s after panelnap 45")
        self.board.screen("panelnap-45")
        self.board.output("board tty1 /tmp/panelnap.log /usr/bin/panelnap 0")
        return problems

    def long_clips_shown(self, environment=""):
        """The launcher on the long clips' folder, the first clip current;
        the clips start at their beginnings."""
        self.long_rows = {}
        self.forget_positions()
        screen = self.start_launcher(LONG, environment)
        if not screen:
            return ["the launcher's title never showed"]
        names = [band for band in text_bands(screen) if band[1] - band[0] >= 5]
        if len(names) != len(LONG_CLIPS):
            return [f"{len(names)} names in {LONG}, expected {len(LONG_CLIPS)}"]
        rows = {name: (top + bottom) // 2 for name, (top, bottom) in zip(LONG_CLIPS, names)}
        self.board.tap(120, rows[LONG_CLIPS[0]])
        self.screen = self.changed_screen(screen, 10, name="long-clips")
        if not self.screen:
            return [f"a tap on {LONG_CLIPS[0]} changed nothing"]
        self.long_rows = rows
        return []

    def tap_during_clip_starts_nothing(self):
        """A tap on the other clip's row while a clip plays: nothing of it
        reaches the list, then or after the clip."""
        before = self.screen
        if not self.play_current():
            return ["the clip did not start within 90 s"]
        time.sleep(2)
        self.board.tap(120, self.long_rows[LONG_CLIPS[1]])
        time.sleep(1)
        self.board.key("esc")
        if not self.back_to(before, 10):
            return ["the launcher was not back with the same row current after Escape"]
        time.sleep(3)
        problems = []
        if self.board.screen().difference(before) >= 0.5:
            self.board.screen("after-tap-during-clip")
            problems.append("the list changed after the clip")
        launch = self.board.output(f"cat {self.working_dir}/exec").strip()
        if launch != f'./zorvid "{LONG}/{LONG_CLIPS[0]}"':
            problems.append(f"exec holds {launch!r}")
        return problems

    def panelnap_darkens_launcher(self):
        self.panelnap(10)
        if not self.board.wait_for_screen(panel_dark, 10):
            return ["the panel is lit 10 s after panelnap 10"]
        self.board.screen("panelnap-10-launcher")
        return []

    def input_lights_without_moving(self):
        """A key, then a tap on the other clip's row: each lights the dark
        panel and is swallowed, so the list stays as it was."""
        problems = []
        for name, wake in (("Down", lambda: self.board.key("down")),
                           ("a tap", lambda: self.board.tap(120, self.long_rows[LONG_CLIPS[1]]))):
            if not panel_dark(self.board.screen()):
                self.panelnap(10)
                if not self.board.wait_for_screen(panel_dark, 10):
                    problems.append(f"the panel is lit 10 s after panelnap 10, before {name}")
                    continue
            wake()
            if not self.back_to(self.screen, 10):
                problems.append(f"{name} did not light the panel with the list as it was")
                continue
            time.sleep(1.5)
            if self.board.screen().difference(self.screen) >= 0.5:
                self.board.screen("woken-list-changed")
                problems.append(f"{name} on the dark panel changed the list")
        return problems

    def idle_darkens(self):
        self.panelnap(15)
        set_at = time.monotonic()
        time.sleep(10)
        problems = []
        if panel_dark(self.board.screen()):
            problems.append("dark before its time")
        if not self.board.wait_for_screen(panel_dark, 20, pause=0.5):
            return problems + ["the panel is lit 30 s after panelnap 15"]
        took = time.monotonic() - set_at
        if took < 14:
            problems.append(f"dark {took:.0f} s after panelnap 15")
        self.board.screen("panelnap-15-launcher")
        self.board.key("down")
        if not self.back_to(self.screen, 10):
            problems.append("Down did not light the panel with the list as it was")
        return problems

    def clip_keeps_lit(self, stop_key="esc"):
        """With panelnap 15 in force, a clip plays for 25 s and the panel
        stays lit; the stop key ends it."""
        before = self.screen
        if not self.play_current():
            return ["the clip did not start within 90 s"]
        # ffmpeg may show black before the clip's first frame.
        entered = time.monotonic()
        if not self.board.wait_for_screen(lambda now: not panel_dark(now), 30):
            self.board.screen("dark-at-clip-start")
            return ["no frame of the clip showed within 30 s"]
        self.measured = f"the first frame {time.monotonic() - entered:.1f} s after the player drew"
        problems, pictures = [], set()
        deadline = time.monotonic() + 25
        while time.monotonic() < deadline:
            now = self.board.screen()
            if panel_dark(now):
                self.board.keep(now, "dark-during-clip")
                problems.append("the panel went dark while the clip played")
                break
            pictures.add(now.rgb)
            time.sleep(1)
        if len(pictures) < 10:
            problems.append(f"{len(pictures)} different pictures in 25 s of the clip")
        self.board.key(stop_key)
        if not self.back_to(before, 10):
            problems.append(f"the launcher did not come back after {stop_key}")
        return problems

    def never_keeps_lit(self):
        self.panelnap(0)
        time.sleep(20)
        now = self.board.screen()
        if panel_dark(now) or now.difference(self.screen) >= 0.5:
            self.board.keep(now, "panelnap-0-launcher")
            return ["the launcher's screen did not stay lit 20 s after panelnap 0"]
        return []

    def launcher_exits(self):
        status = self.end_launcher()
        if status == "0":
            return []
        self.board.screen("exit-failed")
        return [f"the launcher's exit status is {status}"]

    def run(self):
        self.check("first screen: title, list, About and Exit in place", self.first_screen, needs_rows=False)
        self.check("keys: Down moves in the list, F10 opens a box that Enter and Escape close",
                   self.keys_and_box)
        self.check("a tap makes Welcome.mp4 current", self.tap_chooses)
        self.check("choosing a clip writes exec and the player plays it, then the launcher is back",
                   self.player_plays)
        self.check("a double tap enters a folder", self.double_tap_enters)
        self.check("a finger swipe scrolls the list", self.swipe_scrolls)
        self.check("a double tap in a folder longer than the panel plays the clip tapped",
                   self.double_tap_in_long_folder)
        self.check("Exit ends the launcher and tty1 is back in text mode", self.exit_to_text)

        # The player on the panel and the panel's sleep, with the launcher up
        # on the long clips, first with mpv's DRM output.
        self.check(f"the launcher shows {LONG}", self.long_clips_shown, needs_rows=False)
        drm = "DRM display (mpv)"
        back = f"the launcher back within {self.stop_limit:.0f} s, same row current"
        self.long_check(f"{drm}: q stops a clip, {back}", lambda: self.stopped_in_time(self.key_stop("q")))
        self.long_check(f"{drm}: a double tap stops a clip, {back}",
                        lambda: self.stopped_in_time(self.double_tap_stop))
        self.long_check(f"{drm}: a tap during a clip starts nothing afterwards", self.tap_during_clip_starts_nothing)
        self.long_check(f"{drm}: a clip stopped at about 10 s starts again near 8 s", lambda: self.resumes_near_8_s("q"))
        self.long_check(f"{drm}: Enter pauses a clip, a tap plays it on, Right seeks 10 s",
                        lambda: self.pauses_and_seeks("q"))
        self.long_check("panelnap 10 darkens the panel with the launcher up", self.panelnap_darkens_launcher)
        self.long_check("a key and a tap light the dark panel without changing the list",
                        self.input_lights_without_moving)
        self.check("Exit ends the launcher", self.launcher_exits, needs_rows=False)

        # Then with ffmpeg on the bare framebuffer, where the panel's sleep
        # darkens a clip as well as the launcher.
        self.check(f"the launcher shows {LONG}, with no DRM display for zorvid",
                   lambda: self.long_clips_shown("ZORVID_DRM_CARD="), needs_rows=False)
        fb = "framebuffer (ffmpeg)"
        self.long_check(f"{fb}: Escape stops a clip, {back}",
                        lambda: self.stopped_in_time(self.key_stop("esc")))
        self.long_check(f"{fb}: a double tap stops a clip, {back}",
                        lambda: self.stopped_in_time(self.double_tap_stop))
        self.long_check(f"{fb}: a clip stopped at about 10 s starts again near 8 s",
                        lambda: self.resumes_near_8_s("esc"))
        self.long_check(f"{fb}: Enter pauses a clip, a tap plays it on, Right seeks 10 s",
                        lambda: self.pauses_and_seeks("esc"))
        self.long_check("panelnap 15 and no input darken the panel; a key lights it", self.idle_darkens)
        self.long_check("a clip that plays longer than the sleep time keeps the panel lit", self.clip_keeps_lit)
        self.long_check("panelnap 0 keeps the launcher's panel lit", self.never_keeps_lit)
        self.check("Exit ends the launcher", self.launcher_exits, needs_rows=False)

        self.check("on a bare framebuffer, zorvid plays a clip through ffmpeg", self.framebuffer_player,
                   needs_rows=False)
        self.check("with no DRM display, the launcher's screen is drawn whole after a framebuffer clip",
                   self.framebuffer_clip_redrawn, needs_rows=False)
        self.check("panelnap 10 on tty1 blanks the screen and panelnap 0 lights it",
                   self.panelnap_blanks_and_lights, needs_rows=False)
        name = "panelnap 45 blanks tty1 after a minute of idle time"
        if self.idle:
            self.check(name, self.timed_blank, needs_rows=False)
        else:
            self.skip(name, "run with --idle")


    # --- the 16-bit panel ---------------------------------------------------------

    def framebuffer_is_16_bit(self):
        depth = self.board.output("cat /sys/class/graphics/fb0/bits_per_pixel").strip()
        return [] if depth == "16" else [f"fb0 has {depth} bits a pixel"]

    def first_screen_16_bit(self):
        """The launcher's title and buttons as the kit's images show them,
        each channel cut to the panel's 5, 6 and 5 bits."""
        screen = self.start_launcher(CARD)
        if not screen:
            return ["the launcher's title never showed"]
        self.board.keep(screen, "first-screen-16-bit")
        problems, figures = [], []
        for name, area, image in IMAGE_AREAS:
            difference = region(screen, area).difference(self.images[image].in_rgb565())
            figures.append(f"{name} {difference:.1f}")
            if difference >= IN_PLACE:
                problems.append(f"{name} not in its colours (differs by {difference:.0f})")
        print(f"16-bit panel: the first screen's mean difference per channel from the kit's images in "
              f"16 bits (0 to 255, fails from {IN_PLACE}): {', '.join(figures)}", flush=True)
        status = self.end_launcher()
        if status != "0":
            problems.append(f"the launcher's exit status is {status}")
        return problems

    def framebuffer_bars_16_bit(self):
        """zorvid on the framebuffer, through ffmpeg in rgb565le: the colour
        bars clip's seven bars in their own colours, not with the bytes of
        each pixel swapped or red and blue exchanged."""
        self.board.output(f"rm -f /tmp/player.status; (board tty1 /tmp/player.log env ZORVID_DRM_CARD="
                          f" {WORKING_DIR}/zorvid '{CARD}/{BARS_CLIP}'; echo $? > /tmp/player.status) &")
        # The screen with the fewest bars out of their colours, until zorvid ends.
        closest, status, deadline = None, None, time.monotonic() + 60
        while status is None and time.monotonic() < deadline:
            now = self.board.screen()
            wrong = bars_in_colour(now)
            if closest is None or len(wrong) < len(closest[1]):
                closest = (now, wrong)
            answer, text = self.board.run("cat /tmp/player.status 2>/dev/null")
            status = text.strip() if answer == 0 else None
        self.board.keep(closest[0], "bars-16-bit")
        problems = []
        if closest[1]:
            problems.append("no screen showed every bar in its colour; the closest had " + ", ".join(closest[1]))
        if status != "0":
            problems.append(f"zorvid ended with status {status}: {self.board.output('cat /tmp/player.log').strip()}")
        return problems

    def run_16_bit(self):
        self.check("16-bit panel: fb0 has 16 bits a pixel", self.framebuffer_is_16_bit, needs_rows=False)
        self.check("16-bit panel: the launcher's first screen in its true colours", self.first_screen_16_bit,
                   needs_rows=False)
        self.check("16-bit panel: a framebuffer clip's colour bars in their colours", self.framebuffer_bars_16_bit,
                   needs_rows=False)
        self.check("16-bit panel: the launcher's screen is drawn whole after a framebuffer clip",
                   self.framebuffer_clip_redrawn, needs_rows=False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True, help="sockets, the console's log, shots/")
    parser.add_argument("--images", required=True, help="the kit's images, as the build made them")
    parser.add_argument("--idle", action="store_true", help="also wait out a timed blank")
    variant = parser.add_mutually_exclusive_group()
    variant.add_argument("--short", action="store_true", help="only the checks that differ by architecture")
    variant.add_argument("--16-bit", dest="panel_16_bit", action="store_true", help="the 16-bit panel's checks")
    variant.add_argument("--wayland", action="store_true", help="the Wayland kiosk's checks")
    parser.add_argument("qemu", nargs="+", help="QEMU's command line")
    arguments = parser.parse_args()

    shots = os.path.join(arguments.work, "shots")
    started = time.monotonic()
    board = Board(arguments.work, arguments.qemu, shots)
    if arguments.wayland:
        # Imported here: the kiosk's checks are made of these.
        from wayland_checks import WaylandChecks
        checks = WaylandChecks(board, arguments.images, arguments.idle)
    else:
        checks = Checks(board, arguments.images, arguments.idle)
    try:
        board.read_console_until(r"board: ready\n", 120)
        print(f"board: booted to its shell in {time.monotonic() - started:.1f} s", flush=True)
        board.output(f"board run /opt/board/make_media_dir {CARD}/Collection 20 >/dev/null")
        if arguments.panel_16_bit:
            checks.run_16_bit()
        elif arguments.wayland:
            checks.run()
        elif arguments.short:
            checks.only = SHORT
            checks.run()
        else:
            checks.start_up_figures()
            checks.listing_figures()
            checks.run()
    except BoardError as error:
        checks.report("the board", [str(error)])
    finally:
        board.close()
    print(f"board: screens in {shots}, the console in {os.path.join(arguments.work, 'console.log')}")
    skipped = f", {checks.skipped} skipped" if checks.skipped else ""
    print(f"board: {checks.passed} passed, {checks.failed} failed{skipped}")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
