#!/usr/bin/env python3
"""The real kvqsetup on a private X server with a window manager, driven by real X input.

    kvq_e2e.py BIN_DIR SCENARIO...

Each scenario starts Xvfb and openbox of its own, copies the program into a temporary folder
(where it keeps its settings file), presses keys and clicks through XTEST as a user would, and
reads what happened from the files written, the clipboard and the window titles. It waits for
conditions, never for fixed times, and fails loudly when the display or the window manager
cannot start. Nothing is written outside the temporary folder: HOME and the XDG folders point
into it as well.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

MAIN_TITLE = "KVQ Setup V2.3"
QUESTION_TITLE = "Setup Changed"
# Where the sheet view's text grid starts in the client area, and the size of a character cell.
SHEET_LEFT, SHEET_TOP, CHAR_WIDTH, LINE_HEIGHT = 2, 28, 7, 15
CLIENT_HEIGHT = 434
STEERING_CELL = (1, 59)  # row and column of the steering ratio on the sheet
TIMEOUT = 60.0


class Failure(Exception):
    pass


def wait_until(condition, what, timeout=TIMEOUT):
    """The value of condition() once it is true; a Failure naming what was awaited otherwise."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.05)


class Desktop:
    """Xvfb, openbox and the program, in a temporary folder that holds everything they write."""

    def __init__(self, bin_dir, source_dir):
        self.bin_dir, self.source_dir = bin_dir, source_dir
        self.root = tempfile.mkdtemp(prefix="kvq-e2e-")
        self.processes = []
        self.app = None
        self.program_dir = os.path.join(self.root, "program")
        self.work = os.path.join(self.root, "work")
        os.makedirs(self.program_dir)
        os.makedirs(self.work)
        for name in ("kvqsetup", "Help.txt"):
            shutil.copy2(os.path.join(bin_dir, name), self.program_dir)
        for name in ("default.br1", "default.fe2", "default.lo3"):
            shutil.copy2(os.path.join(source_dir, "examples", name), self.work)
        runtime = os.path.join(self.root, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = dict(os.environ, HOME=self.root, XDG_RUNTIME_DIR=runtime,
                        XDG_CONFIG_HOME=os.path.join(self.root, "config"),
                        XDG_CACHE_HOME=os.path.join(self.root, "cache"),
                        XDG_DATA_HOME=os.path.join(self.root, "data"))
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("SESSION_MANAGER", None)

    def __enter__(self):
        display = self._start_xvfb()
        self.env["DISPLAY"] = display
        with open(os.path.join(self.root, "openbox.log"), "wb") as log:
            self.processes.append(self._spawn(["openbox"], stderr=log))
        # openbox announces itself on the root window once it manages windows.
        try:
            wait_until(lambda: self._run(["wmctrl", "-m"], check=False).returncode == 0,
                       "openbox to manage the display")
        except Failure as failure:
            with open(os.path.join(self.root, "openbox.log"), errors="replace") as log:
                raise Failure(f"{failure}; openbox said: {log.read()}") from None
        return self

    def __exit__(self, *exc):
        # Terminated, not killed, so that Xvfb removes its lock file.
        for process in [self.app] + self.processes[::-1]:
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.root, ignore_errors=True)

    def _start_xvfb(self):
        # Xvfb picks a free display itself and writes its number to the pipe.
        read_end, write_end = os.pipe()
        process = self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_end,))
        os.close(write_end)
        self.processes.append(process)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure("Xvfb could not start")
        return f":{number}"

    def _spawn(self, command, stderr=subprocess.DEVNULL, **kwargs):
        return subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL, stderr=stderr,
                                **kwargs)

    def _run(self, command, check=True, data=None):
        result = subprocess.run(command, env=self.env, capture_output=True, input=data)
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(command)}: {result.stderr.decode(errors='replace')}")
        return result

    def accessibility_bus(self):
        """A session bus of its own with the accessibility bus on it, which the program joins
        at its start as a screen reader's desktop has it."""
        read_end, write_end = os.pipe()
        self.processes.append(self._spawn(["dbus-daemon", "--session", "--nofork",
                                           f"--print-address={write_end}"],
                                          pass_fds=(write_end,)))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            address = pipe.readline().strip()
        if not address:
            raise Failure("the session bus could not start")
        self.env.update(DBUS_SESSION_BUS_ADDRESS=address, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.processes.append(self._spawn(["/usr/libexec/at-spi-bus-launcher",
                                           "--launch-immediately"]))

    def screen_reader(self):
        """What the program shows over AT-SPI (tests/e2e/atspi_reader.py), or None while it
        is not on the accessibility bus."""
        reader = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_reader.py")
        result = self._run(["/usr/bin/python3", reader, "KVQ Setup"], check=False)
        return json.loads(result.stdout) if result.returncode == 0 and result.stdout else None

    # The program.

    def launch(self, *files):
        """Starts the program without waiting for anything; the time it was started."""
        with open(os.path.join(self.root, "kvqsetup.log"), "ab") as log:
            self.app = subprocess.Popen([os.path.join(self.program_dir, "kvqsetup"), *files],
                                        cwd=self.work, env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=log)
        return time.monotonic()

    def start(self, *files):
        self.launch(*files)
        self.window = wait_until(lambda: self._window(f"^{re.escape(MAIN_TITLE)}$"),
                                 "the main window")
        # Once the window manager has framed the window, the program moves the frame to where
        # the settings keep it (the screen's corner without them); a click before that could
        # land beside the place meant.
        corner = self.saved_corner()
        try:
            wait_until(lambda: self.frame()[:2] == corner, f"the window's frame at {corner}")
        except Failure:
            raise Failure(f"the window opened with its frame at {self.frame()[:2]}, "
                          f"not at {corner}") from None
        self.activate_main()
        self.menu_height = self.height() - CLIENT_HEIGHT

    def saved_corner(self):
        """Where the settings file puts the main window's frame: Left and Top, or 0, 0."""
        try:
            with open(os.path.join(self.program_dir, "KVQSETUP.INI"), errors="replace") as ini:
                found = dict(re.findall(r"^(Top|Left)=(-?\d+)", ini.read(), re.M))
        except FileNotFoundError:
            found = {}
        return int(found.get("Left", 0)), int(found.get("Top", 0))

    def height(self):
        geometry = self._run(["xdotool", "getwindowgeometry", "--shell", self.window]).stdout
        return int(re.search(rb"HEIGHT=(\d+)", geometry).group(1))

    def _window(self, title_pattern):
        found = self._run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                          check=False).stdout.split()
        return found[0].decode() if found else None

    def exited(self):
        return self.app.poll() is not None

    def path(self, name):
        return os.path.join(self.work, name)

    # What the user sees.

    def splash(self):
        """Where the program's frameless 380 x 174 window is on the screen, or None."""
        tree = self._run(["xwininfo", "-root", "-tree"], check=False).stdout.decode(errors="replace")
        found = re.search(r'0x[0-9a-f]+ "[^"]*": \([^)]*\)\s+380x174\+-?\d+\+-?\d+\s+'
                          r'\+(-?\d+)\+(-?\d+)', tree)
        return (int(found.group(1)), int(found.group(2))) if found else None

    def frame(self):
        """The main window's frame on the screen: its corner and the height of its title bar,
        from the client area's position and the frame extents the window manager gives."""
        info = self._run(["xwininfo", "-id", self.window]).stdout.decode()
        x, y = (int(re.search(r"Absolute upper-left %s:\s+(-?\d+)" % axis, info).group(1))
                for axis in "XY")
        extents = self._run(["xprop", "-id", self.window, "_NET_FRAME_EXTENTS"]).stdout.decode()
        left, _, top, _ = (int(n) for n in re.findall(r"\d+", extents.split("=")[1]))
        return x - left, y - top, top

    def shot(self, name, x, y, width, height):
        """A screenshot of a part of the screen, as a PNG file."""
        path = os.path.join(self.root, name + ".png")
        self._run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                   path])
        return path

    def colours(self, png):
        return int(self._run(["convert", png, "-format", "%k", "info:"]).stdout)

    def same_pixels(self, a, b):
        result = self._run(["compare", "-metric", "AE", a, b, "null:"], check=False)
        return result.returncode == 0

    def active_window(self):
        result = self._run(["xdotool", "getactivewindow"], check=False)
        return result.stdout.strip() if result.returncode == 0 else None

    def answer(self, key):
        """Presses a key in the dialog in front and waits until it has gone."""
        dialog = self.active_window()
        self.key(key)
        wait_until(lambda: self.active_window() != dialog, f"{key} to close the dialog")

    def active_title(self):
        result = self._run(["xdotool", "getactivewindow", "getwindowname"], check=False)
        return result.stdout.decode(errors="replace").strip() if result.returncode == 0 else None

    def wait_active(self, title, what=None):
        wait_until(lambda: self.active_title() == title, what or f"'{title}' to be active")

    def wait_dialog(self):
        """The title of the dialog that takes the focus from the main window."""
        return wait_until(lambda: (t := self.active_title()) not in (None, MAIN_TITLE) and t,
                          "a dialog to take the focus")

    def activate_main(self):
        self._run(["xdotool", "windowactivate", "--sync", self.window], check=False)
        self.wait_active(MAIN_TITLE, "the main window to be active")

    def clipboard(self):
        result = self._run(["xclip", "-selection", "clipboard", "-o"], check=False)
        return result.stdout.decode(errors="replace").replace("\r\n", "\n") if result.returncode == 0 else ""

    def clipboard_stamp(self):
        """When the clipboard's owner took it; each Copy of the program takes it anew."""
        result = self._run(["xclip", "-selection", "clipboard", "-t", "TIMESTAMP", "-o"],
                           check=False)
        return result.stdout if result.returncode == 0 else None

    def copy_sheet(self):
        """The sheet of the page in front, through the letter C: what the clipboard holds once
        the program has taken it again, so every key before C has been handled."""
        before = self.clipboard_stamp()
        self.key("c")
        wait_until(lambda: self.clipboard_stamp() != before, "C to put the sheet on the clipboard")
        return self.clipboard()

    # What the user does.

    def key(self, *keys):
        for key in keys:
            self._run(["xdotool", "key", "--delay", "60", key])

    def type(self, text):
        self._run(["xdotool", "type", "--delay", "20", text])

    def click(self, x, y, button=1, repeat=1):
        self._run(["xdotool", "mousemove", "--window", self.window, str(x), str(y), "click",
                   "--repeat", str(repeat), "--delay", "80", str(button)])

    def double_click_cell(self, row, column):
        self.click(SHEET_LEFT + column * CHAR_WIDTH + CHAR_WIDTH // 2,
                   self.menu_height + SHEET_TOP + row * LINE_HEIGHT + LINE_HEIGHT // 2, repeat=2)

    def tab(self, index):
        """A point on the name of the index-th tab of the page strip, whose "default.xxx" tabs
        (with the change mark's room and the close button) are 147 pixels wide."""
        return 60 + 147 * index, self.menu_height + 10

    def tab_close(self, index):
        """The middle of the close button of the index-th tab, near its right end."""
        return 147 * (index + 1) - 24, self.menu_height + 12

    def step_steering(self, keys=("Up",)):
        """Opens the editor on the steering ratio and presses keys in it."""
        self.double_click_cell(*STEERING_CELL)
        self.key(*keys)

    def close_box(self):
        self._run(["wmctrl", "-c", MAIN_TITLE])

    def cli(self, *args):
        return self._run([os.path.join(self.bin_dir, "kvqsetup-cli"), *args]).stdout.decode()

    def expected_file(self, name, steering):
        """An example file as the window opens it (normalised), with its steering ratio set."""
        edited = self.path("expected-" + name)
        self.cli("normalise", self.path(name), "-o", edited)
        self.cli("set", edited, f"SteeringRatio={steering}", "-o", edited)
        return edited

    def expected_sheet(self, name, steering):
        return self.cli("sheet", self.expected_file(name, steering))


def expect(condition, message):
    if not condition:
        raise Failure(message)


def expect_shown(desktop, name, steering, message):
    """The page in front shows the example file name with its steering ratio set."""
    expect(desktop.copy_sheet() == desktop.expected_sheet(name, steering), message)


def save_as(desktop, title, name):
    """Answers the save dialog in front, which must bear title, with a file of the work folder."""
    shown = desktop.wait_dialog()
    expect(shown == title, f"the dialog '{title}', not '{shown}'")
    path = desktop.path(name)
    desktop.key("ctrl+a")
    desktop.type(path)
    desktop.key("Return")
    return path


def dialog_cancelled_once(desktop, keys, what):
    """Presses keys, cancels the dialog they open, and proves no second one followed: the next
    letter reaches the main window."""
    desktop.activate_main()
    desktop.key(*keys)
    desktop.wait_dialog()
    desktop.answer("Escape")
    desktop.wait_active(MAIN_TITLE, f"the main window after cancelling the dialog of {what}")
    try:
        expect("Steering Ratio" in desktop.copy_sheet(), f"{what}: C copied no sheet")
    except Failure:
        raise Failure(f"{what} ran again: '{desktop.active_title()}' took the next key")


# The scenarios.

def every_command_runs_once(desktop):
    """Each command letter and Ctrl shortcut that opens a dialog opens it once."""
    desktop.start("default.fe2")
    desktop.step_steering(("Up", "Return"))  # a changed page, so that S and X ask
    for keys in (["o"], ["ctrl+o"], ["s"], ["ctrl+s"], ["p"], ["ctrl+p"], ["g"], ["ctrl+g"],
                 ["h"], ["ctrl+h"], ["ctrl+d"], ["x"]):
        dialog_cancelled_once(desktop, keys, "+".join(keys))
    expect(not desktop.exited(), "the window closed although the question was cancelled")


def closing_with_an_open_edit_keeps_the_value(desktop):
    """The close box and the letter X end an open edit into its own page before asking."""
    for close in (desktop.close_box, lambda: desktop.key("x")):
        desktop.start("default.fe2", "default.br1")
        # A changed first page, and a stepped value open on the second.
        desktop.click(*desktop.tab(0))
        desktop.step_steering(("Up", "Return"))
        desktop.click(*desktop.tab(1))
        desktop.step_steering(("Down",))
        close()
        desktop.wait_active(QUESTION_TITLE, "the question about the first page")
        desktop.answer("n")
        desktop.wait_active(QUESTION_TITLE, "the question about the page with the open edit")
        desktop.answer("y")
        saved = save_as(desktop, "Save default.br1 As", "closed.br1")
        wait_until(desktop.exited, "the window to close")
        expect(desktop.cli("sheet", saved) == desktop.expected_sheet("default.br1", 15),
               "the stepped value was not saved")
        os.remove(saved)


def the_wheel_leaves_the_edit_on_its_page(desktop):
    """An edit opened on one page goes into that page when the wheel selects another."""
    desktop.start("default.fe2", "default.br1")
    desktop.step_steering(("Up",))
    desktop.click(*desktop.tab(1), button=4)  # the wheel, up: the page before
    expect_shown(desktop, "default.fe2", 16, "the page the wheel selected took the edit")
    desktop.click(*desktop.tab(1))
    expect_shown(desktop, "default.br1", 17, "the edit is not on its own page")


def a_refused_close_shows_the_page_asked_about(desktop):
    """No for the first page, Cancel for the second: the second is shown, and copied."""
    desktop.start("default.br1", "default.fe2", "default.lo3")
    for page in range(3):
        desktop.click(*desktop.tab(page))
        desktop.step_steering(("Up", "Return"))
    desktop.close_box()
    desktop.wait_active(QUESTION_TITLE, "the question about the first page")
    desktop.answer("n")
    desktop.wait_active(QUESTION_TITLE, "the question about the second page")
    desktop.answer("Escape")
    desktop.wait_active(MAIN_TITLE)
    expect_shown(desktop, "default.fe2", 17, "the sheet shown is not the second page's")


def a_tab_closes_by_its_button(desktop):
    """A click on the close button of a tab behind closes that page alone: the first page comes
    to the front, and the second tab shows the page that came after the one closed."""
    desktop.start("default.br1", "default.fe2", "default.lo3")
    desktop.click(*desktop.tab_close(1))
    expect_shown(desktop, "default.br1", 16, "the first page is not in front")
    desktop.click(*desktop.tab(1))
    expect_shown(desktop, "default.lo3", 16, "the second tab is not the third page")


def copy_and_paste_keys_in_an_editor(desktop):
    """Ctrl+C and Ctrl+V in an open editor run Copy and Paste, which end the edit first."""
    desktop.start("default.fe2")
    desktop.step_steering(("Up", "ctrl+c"))
    wait_until(lambda: "Steering Ratio: 17:1" in desktop.clipboard(), "Ctrl+C to copy the sheet")
    desktop.step_steering(("Up", "ctrl+v"))
    # The pasted page is in front; the first page kept the value stepped before the paste.
    expect_shown(desktop, "default.fe2", 17, "Ctrl+V did not paste the sheet as a page")
    desktop.click(*desktop.tab(0))
    expect_shown(desktop, "default.fe2", 18, "the edit open at Ctrl+V was not committed")


def edit_and_save_through_the_dialog(desktop):
    """Double-click, step, Enter, save through the real dialog: the bytes as the companion
    sets them."""
    desktop.start("default.lo3")
    desktop.step_steering(("Up", "Up", "Return"))
    desktop.key("ctrl+s")
    saved = save_as(desktop, "Save default.lo3 As", "saved.lo3")
    desktop.wait_active(MAIN_TITLE)
    expected = desktop.expected_file("default.lo3", 18)
    wait_until(lambda: os.path.exists(saved), "the saved file")
    with open(saved, "rb") as got, open(expected, "rb") as want:
        expect(got.read() == want.read(), "the saved bytes differ from the edited example")


def the_position_comes_back(desktop):
    """A window moved and closed opens where it was, start after start, without creeping: Top
    and Left are where its frame's corner is."""
    saved = desktop.saved_corner

    def corner():
        return desktop.frame()[:2]

    desktop.start()
    desktop._run(["xdotool", "windowmove", "--sync", desktop.window, "300", "200"])
    moved = wait_until(lambda: corner() != (0, 0) and corner(), "the window to move")
    desktop.close_box()
    wait_until(desktop.exited, "the window to close")
    expect(saved() == moved, f"the settings keep {saved()}, the frame was at {moved}")
    for _ in range(2):
        desktop.start()  # which waits for the frame where the settings put it
        desktop.close_box()
        wait_until(desktop.exited, "the window to close")
        expect(saved() == moved, f"the saved position moved from {moved} to {saved()}")


def the_title_bar_is_on_the_screen(desktop):
    """With no settings file the frame, title bar included, is at the screen's top left corner,
    and the title bar is drawn there."""
    desktop.start()  # which waits for the frame at 0,0, where no settings put it
    x, y, title = desktop.frame()
    expect(title > 0, "the window manager drew no title bar")
    bar = desktop.shot("title", 0, 0, 300, title)
    expect(desktop.colours(bar) > 2, "the title bar's place on the screen is blank")


def the_splash_is_painted(desktop):
    """The start-up splash shows its picture and texts half a second and a second and a half
    after the start, with "Version 2.3" as the about box, painted by the event loop, shows it."""
    started = desktop.launch()
    corner = wait_until(desktop.splash, "the splash window", timeout=10)
    shots = []
    for at in (0.5, 1.5):
        time.sleep(max(0.0, started + at - time.monotonic()))
        shots.append(desktop.shot(f"splash-{at}", *corner, 380, 174))
        expect(desktop.splash() == corner, f"the splash was gone {at} s after the start")
    for at, shot in zip((0.5, 1.5), shots):
        colours = desktop.colours(shot)
        expect(colours > 50, f"the splash had {colours} colours {at} s after the start")
    version = [desktop.shot(f"version-{at}", corner[0] + 4, corner[1] + 68, 204, 19)
               for at in (0.5, 1.5)]
    desktop.window = wait_until(lambda: desktop._window(f"^{re.escape(MAIN_TITLE)}$"),
                                "the main window")
    desktop.activate_main()
    desktop.key("alt+h", "a")
    about = wait_until(desktop.splash, "the about box")
    time.sleep(0.3)  # the event loop paints it
    expect(desktop.colours(desktop.shot("about", *about, 380, 174)) > 50, "the about box is blank")
    reference = desktop.shot("version-about", about[0] + 4, about[1] + 68, 204, 19)
    expect(desktop.colours(reference) > 2, "the about box shows no version line")
    for at, shot in zip((0.5, 1.5), version):
        expect(desktop.same_pixels(shot, reference),
               f"the splash's version line {at} s after the start is not the about box's")
    desktop.key("space")
    wait_until(lambda: not desktop.splash(), "a key to close the about box")


def a_relative_name_saves_into_its_own_folder(desktop):
    """A page opened as sub/r.fe2 from the working folder: Save starts in sub/ with r.fe2, and
    Enter replaces that file; nothing new appears in the working folder."""
    expected = desktop.expected_file("default.fe2", 17)
    os.makedirs(desktop.path("sub"))
    os.rename(desktop.path("default.fe2"), desktop.path("sub/r.fe2"))
    before = sorted(os.listdir(desktop.work))
    desktop.start("sub/r.fe2")
    desktop.step_steering(("Up", "Return"))
    desktop.key("ctrl+s")
    shown = desktop.wait_dialog()
    expect(shown == "Save r.fe2 As", f"the dialog 'Save r.fe2 As', not '{shown}'")
    desktop.answer("Return")
    desktop.wait_active(MAIN_TITLE)

    def saved():
        with open(desktop.path("sub/r.fe2"), "rb") as got, open(expected, "rb") as want:
            return got.read() == want.read()

    wait_until(saved, "the edited setup's bytes in sub/r.fe2", timeout=10)
    after = sorted(os.listdir(desktop.work))
    expect(after == before, f"the working folder changed from {before} to {after}")


def undo_right_after_stepping_a_value(desktop):
    """Ctrl+Z in the open editor ends the edit and undoes the value stepped: the page is as
    opened and unchanged, so S opens no dialog (C, the next key, copies the sheet); Ctrl+Shift+Z
    brings the value back and S saves again."""
    desktop.start("default.fe2")
    desktop.step_steering(("Up", "ctrl+z"))
    desktop.key("s")
    try:
        expect_shown(desktop, "default.fe2", 16, "Ctrl+Z did not undo the value stepped")
    except Failure as failure:
        raise Failure(f"{failure} (the window in front: '{desktop.active_title()}')") from None
    desktop.key("ctrl+shift+z")
    expect_shown(desktop, "default.fe2", 17, "Ctrl+Shift+Z did not redo the value")
    desktop.key("s")
    shown = desktop.wait_dialog()
    expect(shown == "Save default.fe2 As", f"S after redo showed '{shown}', not the save dialog")
    desktop.answer("Escape")


def compare_with_a_file(desktop):
    """Ctrl+D, File..., a file chosen in the real dialog: the page's own file shows no
    differences, as it is read as Open reads it; another file lists what the companion's
    diff --normalised prints. Ctrl+C there copies the list, Escape closes the window."""
    changed = desktop.path("changed.br1")
    desktop.cli("set", desktop.path("default.br1"), "Fuel=30", "GearIndex2=15", "-o", changed)
    expected = desktop._run([os.path.join(desktop.bin_dir, "kvqsetup-cli"), "diff", "--normalised",
                             desktop.path("default.br1"), changed], check=False).stdout.decode()
    desktop.start("default.br1")
    for file, title, differences in (
            (desktop.path("default.br1"), "Compare default.br1 with default.br1 (file)",
             "No differences\n"),
            (changed, "Compare default.br1 with changed.br1 (file)", expected)):
        desktop.key("ctrl+d")
        shown = desktop.wait_dialog()
        expect(shown == "Compare With", f"the dialog 'Compare With', not '{shown}'")
        desktop.key("Return")  # File..., the default button while no other page is offered
        wait_until(lambda: desktop.active_title() not in (None, MAIN_TITLE, "Compare With"),
                   "the open dialog")
        desktop.key("ctrl+a")
        desktop.type(file)
        desktop.key("Return")
        desktop.wait_active(title, "the compare window")
        before = desktop.clipboard_stamp()
        desktop.key("ctrl+c")
        wait_until(lambda: desktop.clipboard_stamp() != before, "Ctrl+C to copy the differences")
        copied = desktop.clipboard()
        expect(copied == differences, f"the differences copied are not {differences!r}: {copied!r}")
        desktop.key("Escape")
        wait_until(lambda: not desktop._window("^Compare "), "Escape to close the compare window")
        expect(not desktop.exited(), "Escape closed the main window too")
        desktop.activate_main()
    expect("Fuel (gallons): 43 -> 30" in expected, f"diff --normalised printed {expected!r}")


def compare_three_setups(desktop):
    """Three pages open; the chooser offers the two others with the first chosen, Shift+Down
    takes the second too; each column is compared with the first, then (Alt+B) with the one
    before it."""
    desktop.cli("set", desktop.path("default.br1"), "Fuel=30", "-o", desktop.path("b.br1"))
    desktop.cli("set", desktop.path("b.br1"), "SteeringRatio=12", "-o", desktop.path("c.br1"))
    desktop.start("default.br1", "b.br1", "c.br1")
    desktop.click(*desktop.tab(0))
    desktop.key("ctrl+d")
    shown = desktop.wait_dialog()
    expect(shown == "Compare With", f"the dialog 'Compare With', not '{shown}'")
    desktop.key("shift+Down", "Return")
    desktop.wait_active("Compare default.br1 with b.br1 and c.br1", "the compare window")

    def copied():
        before = desktop.clipboard_stamp()
        desktop.key("ctrl+c")
        wait_until(lambda: desktop.clipboard_stamp() != before, "Ctrl+C to copy the differences")
        return desktop.clipboard()

    fuel, steering = "Fuel (gallons): 43 -> 30\n", "Steering Ratio: 16 -> 12\n"
    first = copied()
    expect(first == f"b.br1 against default.br1\n{fuel}c.br1 against default.br1\n{fuel}{steering}",
           f"against the first: {first!r}")
    desktop.key("alt+b")
    previous = wait_until(lambda: (text := copied()) != first and text, "Alt+B to switch")
    expect(previous == f"b.br1 against default.br1\n{fuel}c.br1 against b.br1\n{steering}",
           f"against the one before: {previous!r}")
    desktop.key("Escape")
    wait_until(lambda: not desktop._window("^Compare "), "Escape to close the compare window")


def an_outside_change_of_a_name_that_is_no_utf8_is_asked_about(desktop):
    """Another program changes a file whose name is no UTF-8: the bar tells, Save asks before
    replacing it, and No keeps the other program's bytes."""
    path = os.path.join(os.fsencode(desktop.work), b"\xff\xfe.lo3")
    shutil.copy2(desktop.path("default.lo3"), path)
    desktop.start(os.path.basename(path))
    height = desktop.height()
    desktop.step_steering(("Up", "Return"))
    desktop.cli("set", path, "Fuel=25", "-o", path)
    with open(path, "rb") as changed:
        theirs = changed.read()
    wait_until(lambda: desktop.height() > height, "the bar telling of the change")
    desktop.key("ctrl+s")
    desktop.wait_dialog()
    desktop.key("Return")  # the name the dialog proposes: the page's own file
    desktop.wait_active("KVQ Setup", "the question before replacing the changed file")
    desktop.answer("alt+n")
    desktop.wait_active(MAIN_TITLE)
    with open(path, "rb") as kept:
        expect(kept.read() == theirs, "No replaced the other program's bytes")


def the_keyboard_alone(desktop):
    """Ctrl+O, two files, Tab into the sheet, Down to Fuel, F2, Up, Enter, Ctrl+Shift+S, a new
    name, Enter: the file holds the second file's page with one more gallon, and the first file
    is on the page before it."""
    desktop.start()
    desktop.key("ctrl+o")
    desktop.wait_dialog()
    desktop.key("ctrl+a")
    desktop.type('"default.fe2" "default.br1"')  # the dialog opens in the work folder
    desktop.key("Return")
    desktop.wait_active(MAIN_TITLE, "the main window after the open dialog")
    desktop.key("Tab", "Down", "F2", "Up", "Return", "ctrl+shift+s")
    saved = save_as(desktop, "Save default.br1 As", "keyboard.br1")
    desktop.wait_active(MAIN_TITLE)
    expected = desktop.path("expected-keyboard.br1")
    desktop.cli("normalise", desktop.path("default.br1"), "-o", expected)
    desktop.cli("set", expected, "Fuel=44", "-o", expected)
    wait_until(lambda: os.path.exists(saved), "the saved file")
    with open(saved, "rb") as got, open(expected, "rb") as want:
        expect(got.read() == want.read(), "the saved bytes differ from the example with Fuel 44")
    desktop.key("ctrl+Prior")
    expect_shown(desktop, "default.fe2", 16, "the first file chosen is not on the page before")


def a_screen_reader_reads_the_sheet(desktop):
    """Over AT-SPI the sheet is its 25 lines, the focused value is named after its field, no
    closed editor shows, and the bar telling of an outside change is reached with Tab, its
    buttons with access keys."""
    desktop.accessibility_bus()
    desktop.start("default.br1")
    desktop.key("Tab")
    read = wait_until(lambda: (r := desktop.screen_reader()) and r["sheet"] and r,
                      "the sheet on the accessibility bus")
    sheet = desktop.cli("sheet", desktop.path("default.br1"))
    expect(read["sheet"].splitlines() == sheet.splitlines(),
           f"the sheet reads {read['sheet']!r}, not {sheet!r}")
    expect(read["fields"] == [], f"closed editors show as text fields {read['fields']}")
    def hears(what, condition, timeout=TIMEOUT):
        last = []
        try:
            wait_until(lambda: last.append(desktop.screen_reader()) or condition(last[-1]), what,
                       timeout)
        except Failure as failure:
            raise Failure(f"{failure}; the screen reader had {last[-1]}") from None

    desktop.key("Down")
    hears("the focused value read as \"Fuel, 43 gallons\"",
          lambda read: ["table cell", "Fuel, 43 gallons", ""] in read["focused"])
    desktop.key("F2")
    hears("the open editor named Fuel", lambda read: "Fuel" in read["fields"])
    desktop.key("Escape")
    height = desktop.height()
    desktop.cli("set", desktop.path("default.br1"), "Fuel=25", "-o", desktop.path("default.br1"))
    wait_until(lambda: desktop.height() > height, "the bar telling of the change")
    for button, key in (("Reload", "Alt+R"), ("Keep this version", "Alt+K")):
        def reached(read):
            desktop.key("Tab")
            return ["push button", button, key] in read["focused"]
        hears(f"Tab to reach {button} with its access key {key}", reached, timeout=20)


def the_library_opens_a_filtered_setup(desktop):
    """Ctrl+L, Add Folder... with the folder typed into the real folder dialog, a filter typed
    into the box: Enter there opens the one setup it leaves as a page, as Open shows it."""
    library = desktop.path("library")
    for track, name in (("Monza", "default.br1"), ("Spa", "default.fe2"), ("Spa", "default.lo3")):
        os.makedirs(os.path.join(library, track), exist_ok=True)
        shutil.copy2(desktop.path(name), os.path.join(library, track, name))
    expected = desktop.path("expected.lo3")
    desktop.cli("normalise", desktop.path("default.lo3"), "-o", expected)
    desktop.start()
    desktop.key("ctrl+l")
    desktop.wait_active("Setup Library", "Ctrl+L to show the library")
    desktop.key("alt+f")
    desktop.wait_active("Add Folder", "Alt+F to show the folder dialog")
    desktop.key("ctrl+a")
    desktop.type(library)
    desktop.key("Return")
    desktop.wait_active("Setup Library", "the folder dialog to close")
    desktop.key("alt+i")
    desktop.type("spa lotus")
    desktop.key("Return")
    desktop.wait_active(MAIN_TITLE, "Enter to open the setup found")
    sheet = desktop.copy_sheet()
    want = desktop.cli("sheet", expected).replace("\r\n", "\n")
    expect(sheet == want, f"the page opened shows {sheet!r}, not the sheet of default.lo3")


SCENARIOS = {f.__name__: f for f in (
    every_command_runs_once,
    closing_with_an_open_edit_keeps_the_value,
    the_wheel_leaves_the_edit_on_its_page,
    a_refused_close_shows_the_page_asked_about,
    a_tab_closes_by_its_button,
    copy_and_paste_keys_in_an_editor,
    edit_and_save_through_the_dialog,
    the_position_comes_back,
    the_title_bar_is_on_the_screen,
    the_splash_is_painted,
    a_relative_name_saves_into_its_own_folder,
    undo_right_after_stepping_a_value,
    compare_with_a_file,
    the_keyboard_alone,
    an_outside_change_of_a_name_that_is_no_utf8_is_asked_about,
    compare_three_setups,
    a_screen_reader_reads_the_sheet,
    the_library_opens_a_filtered_setup,
)}


def main(argv):
    if len(argv) < 3 or any(name not in SCENARIOS for name in argv[2:]):
        print(f"usage: {argv[0]} BIN_DIR SCENARIO...; scenarios: {' '.join(SCENARIOS)}",
              file=sys.stderr)
        return 2
    bin_dir = os.path.abspath(argv[1])
    source_dir = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    passed = failed = 0
    for name in argv[2:]:
        try:
            with Desktop(bin_dir, source_dir) as desktop:
                SCENARIOS[name](desktop)
            passed += 1
            print(f"PASS {name}")
        except Failure as failure:
            failed += 1
            print(f"FAIL {name}: {failure}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
