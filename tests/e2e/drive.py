#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the real program from outside, as a person would, and trusts nothing
the window manager could do on the program's behalf.

A virtual X display, openbox, real mouse clicks on the controls' rectangles,
real keys, and the clipboard: the whole post is read back after each step
through the copy button. Before every click the pointer must be over the
window meant, so a dialog lying over the main window shows up as a failure
instead of a click on the wrong control. Windows are brought forward by the
program itself (an opener clicked again, a dialog that shows the main window);
only where a person would reach for the window list does the test do so, and
it says so.

usage: drive.py path/to/qirtaz      (exit 77: the X tools are not installed)
"""
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

TOOLS = ("Xvfb", "openbox", "xdotool", "xclip", "xprop", "xwininfo", "setxkbmap", "import")
SKIP = 77
# Every wait below ends as soon as the program answers; its deadline is only
# how long a failure takes to be told. On a machine at a load of 10 an answer
# may take several times as long as on a quiet one, so each deadline is this
# many times the one written beside it.
PATIENCE = float(os.environ.get("QIRTAZ_E2E_PATIENCE", "3"))

# Captions, exactly as the windows carry them.
MAIN = "Qirtaz "
IMAGE = "ادراج صورة"
LINK = "ادارج رابط"
WEB = "أدراج صفحة"
SOUND = "ادراج صوت"
FLASH = "ادراج فلاش بالنص"
REALMEDIA = "Form20"
QUOTE = "ادراج اقتباس"
HIDDEN_QUOTE = "اقتباس"  # the dialog of the frame behind the quote box's word
COLOURS = "قائمة الالوان"
COLOUR = "ادراج لون"
SIZE = "تكبير النص"
ABOUT = "حووول البرنامج"
PREVIEW = "معاينة الموضوع"

MAIN_CLIENT = (501, 388)  # pixels; the menu bar lies above it
ABOUT_CLIENT = (268, 200)

# Rectangles in twips (15 to the pixel) from the top-left of each client area.
ON_MAIN = {
    "Image10": (6720, 2280, 225, 225),  # angry
    "Image13": (6720, 1440, 225, 225),  # smiling
    "Image15": (6720, 3600, 225, 225),  # sad
    "Image8": (7200, 1440, 225, 225),  # grin
    "Image1": (3360, 480, 405, 390),  # image dialog
    "Image2": (4320, 480, 405, 390),  # web-page dialog
    "Image3": (2520, 480, 405, 390),  # link dialog
    "Image4": (1800, 480, 405, 390),  # sound dialog
    "Image5": (960, 480, 405, 390),  # RealMedia dialog
    "Image6": (6240, 480, 405, 390),  # Flash dialog
    "quote box": (5160, 480, 615, 375),
    "Image17": (5760, 5040, 480, 480),  # colour list
    "Image19": (6720, 5040, 480, 480),  # clear
    "Command1": (3960, 5040, 1215, 495),  # size dialog
    "Command4": (120, 5040, 1095, 495),  # exit
    "Command5": (2040, 5040, 1095, 495),  # copy
    "Text1": (360, 1320, 6255, 2655),  # the post box
}

# A paragraph as boards have them (told after a travel forum's post): Arabic
# words with tags, an address and smiley codes, one line of the post.
PARAGRAPH = (
    "بسم الله، أكتب لكم اليوم عن [b]تجربتي مع السفر[/b] بعد أن تعرفت على هذا المنتدى العامر. "
    "في أول سفرتين لم أبذل أي جهد في معرفة البلد، فقد كان صديقي يعرف كل شيء من الألف إلى الياء، "
    "وكان علي فقط أن أسترخي وأستمتع بما حولي :D ثم عزمت على السفرة الثالثة فوجدت هنا "
    "[color=green]معلومات كثيرة جدا[/color] عن الفنادق والرحلات، فرتبت كل شيء بنفسي خلال شهور "
    "من البحث والتنسيق، وحجزت التذاكر والفنادق عبر https://example.com/travel/booking?id=42 "
    "ثم وصلنا وأنهينا الإجراءات وخرجنا، ولكن لحظة... لماذا لم أشعر بتلك الإثارة التي شعرت بها "
    "في المرتين الأوليين؟ أظن أن كثرة التقارير جعلتني أرى كل شيء قبل أن أراه، فذهبت الدهشة ;) "
    "[url=https://example.org/report]اقرأ التقرير كاملا[/url] وأخبروني عن تجاربكم أنتم: هل "
    "تفضلون التخطيط الدقيق أم المغامرة؟ [quote]السفر قطعة من العذاب، لكنه يفتح الآفاق[/quote]")


def paragraph(size):
    """Whole words of PARAGRAPH over and over, about size characters."""
    words = PARAGRAPH.split(" ")
    out = []
    while len(" ".join(out)) < size:
        out.append(words[len(out) % len(words)])
    return " ".join(out)


SMILEYS = [  # clicked in this order, each appending its code
    ("Image10", ":mad:"),
    ("Image13", ":("),
    ("Image15", ":("),
]


class Failure(Exception):
    pass


class Desktop:
    """An X display with openbox and the program on it."""

    def __init__(self, program):
        self.program_path = program
        self.started = []
        self.sentinels = []
        self.scratch = tempfile.TemporaryDirectory(prefix="qirtaz-e2e-")
        self.env = dict(os.environ)
        for variable in ("QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"):
            self.env.pop(variable, None)
        self.env["QT_QPA_PLATFORM"] = "xcb"
        # openbox with its stock settings, whatever the account running the test has.
        self.env["XDG_CONFIG_HOME"] = self.scratch.name
        self.log = open(os.path.join(self.scratch.name, "qirtaz.log"), "w+")
        self.program = None

    # ------------------------------------------------------------ processes

    def start(self):
        read, write = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
             "-dpi", "96", "-nolisten", "tcp"],
            pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        self.started.append(xvfb)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read, 16) if ready else b""
            if not chunk:
                raise Failure("Xvfb did not report its display")
            number += chunk
        os.close(read)
        self.env["DISPLAY"] = ":" + number.decode().strip()

        openbox = subprocess.Popen(["openbox"], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.started.append(openbox)

        def managing():
            if openbox.poll() is not None:
                raise Failure(f"openbox ended with status {openbox.returncode}")
            return "window id" in self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False)
        # Its start, with the display's, is what a busy machine delays most.
        wait(managing, "openbox to manage the display", timeout=30)
        # An Arabic layout beside the Latin one, as on a writer's machine: Arabic
        # letters are then typed from the keyboard map as it stands, not through
        # a key xdotool remaps on the fly, which the program may read too late.
        self.x("setxkbmap", "-layout", "us,ara")

        self.program = subprocess.Popen([self.program_path], env=self.env,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.started.append(self.program)

    def stop(self):
        for process in reversed(self.sentinels + self.started):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=3)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.log.close()
        self.scratch.cleanup()

    def program_output(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read().strip()

    def alive(self):
        return self.program.poll() is None

    def x(self, *args, check=True):
        done = subprocess.run(args, env=self.env, capture_output=True, timeout=20)
        if check and done.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout.decode(errors="replace")

    # -------------------------------------------------------------- windows

    def layout(self):
        """Where the program's visible windows lie, bottom to top, for failure reports."""
        stacking = self.x("xprop", "-root", "_NET_CLIENT_LIST_STACKING", check=False)
        order = [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", stacking)]
        lines = []
        for wid, name in sorted(self.windows().items(),
                                key=lambda item: order.index(int(item[0])) if int(item[0]) in order else -1):
            info = self.x("xwininfo", "-id", wid, check=False)
            place = re.findall(r"Absolute upper-left [XY]:\s+(-?\d+)|Width: (\d+)|Height: (\d+)", info)
            numbers = "".join(a or b or c for a, b, c in place[:1]) + "," + \
                ",".join(a or b or c for a, b, c in place[1:4])
            lines.append(f"  {name!r} at {numbers}" + ("  (active)" if wid == self.active() else ""))
        return "\n".join(lines)

    def managed(self):
        return {int(w, 16) for w in re.findall(
            r"0x[0-9a-f]+", self.x("xprop", "-root", "_NET_CLIENT_LIST", check=False))}

    def windows(self):
        """The program's visible windows: id to caption."""
        if not self.alive():
            raise Failure(f"the program ended unexpectedly with status {self.program.returncode}")
        ids = self.x("xdotool", "search", "--onlyvisible", "--pid", str(self.program.pid),
                     check=False).split()
        # Only windows the window manager manages: tooltips come and go on their own.
        managed = self.managed()
        found = {}
        for wid in (w for w in ids if int(w) in managed):
            name = subprocess.run(["xdotool", "getwindowname", wid], env=self.env,
                                  capture_output=True, timeout=20)
            if name.returncode == 0:
                found[wid] = name.stdout.decode().rstrip("\n")
        return found

    def with_caption(self, caption):
        return [wid for wid, name in self.windows().items() if name == caption]

    def window(self, caption, timeout=10):
        """The one visible window with that caption, once it is there."""
        def one():
            found = self.with_caption(caption)
            if len(found) > 1:
                raise Failure(f"{len(found)} windows captioned {caption!r}: {self.windows()}")
            return found[0] if found else None
        return wait(one, f"a window captioned {caption!r}", timeout, self.windows)

    def gone(self, wid, caption):
        wait(lambda: wid not in self.windows(), f"{caption!r} to close", describe=self.windows)

    def active(self):
        return self.x("xdotool", "getactivewindow", check=False).strip()

    def in_front(self, wid, caption, timeout=5):
        wait(lambda: self.active() == wid, f"{caption!r} to be the active window", timeout,
             lambda: f"active: {self.windows().get(self.active(), self.active())!r}")

    def frame(self, wid):
        """The window manager's frame around a window: what the pointer reports."""
        tree = self.x("xwininfo", "-tree", "-id", wid)
        return int(re.search(r"Parent window id: (0x[0-9a-f]+)", tree).group(1), 16)

    def size(self, wid):
        info = self.x("xwininfo", "-id", wid)
        return (int(re.search(r"Width: (\d+)", info).group(1)),
                int(re.search(r"Height: (\d+)", info).group(1)))

    def origin(self, wid):
        info = self.x("xwininfo", "-id", wid)
        return (int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1)),
                int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1)))

    def pixels(self, wid):
        """The window as the screen shows it: rows of (r, g, b)."""
        ppm = subprocess.run(["import", "-window", wid, "-depth", "8", "ppm:-"], env=self.env,
                             capture_output=True, timeout=20, check=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        width, height = int(header.group(1)), int(header.group(2))
        body = ppm[header.end():]
        return [[tuple(body[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
                for y in range(height)]

    def popup_under_pointer(self):
        """Whether a window of the program that the window manager leaves alone,
        such as an open menu, lies under the pointer."""
        where = self.x("xdotool", "getmouselocation", "--shell")
        x = int(re.search(r"X=(-?\d+)", where).group(1))
        y = int(re.search(r"Y=(-?\d+)", where).group(1))
        managed = self.managed()
        for wid in self.x("xdotool", "search", "--onlyvisible", "--pid", str(self.program.pid),
                          check=False).split():
            if int(wid) in managed:
                continue
            info = self.x("xwininfo", "-id", wid, check=False)
            left, top, width, height = (int(re.search(pattern, info).group(1)) for pattern in (
                r"Absolute upper-left X:\s+(-?\d+)", r"Absolute upper-left Y:\s+(-?\d+)",
                r"Width: (\d+)", r"Height: (\d+)"))
            if left <= x < left + width and top <= y < top + height:
                return True
        return False

    def is_modal(self, wid):
        return "_NET_WM_STATE_MODAL" in self.x("xprop", "-id", wid, "_NET_WM_STATE", check=False)

    # ---------------------------------------------------------------- input

    def bring_forward(self, wid, caption):
        """What a person does from the window list when a window lies behind another."""
        self.x("xdotool", "windowactivate", "--sync", wid)
        self.in_front(wid, caption)

    def point(self, wid, rect, top=0):
        """Moves the pointer to the middle of a rectangle of a window's client area
        and returns whether that window is the one under it."""
        left, up, width, height = rect
        x = (left + width // 2) // 15
        y = (up + height // 2) // 15 + top
        self.x("xdotool", "mousemove", "--window", wid, str(x), str(y))
        under = re.search(r"WINDOW=(\d+)", self.x("xdotool", "getmouselocation", "--shell"))
        return under is not None and int(under.group(1)) == self.frame(wid)

    def under_pointer(self):
        under = re.search(r"WINDOW=(\d+)", self.x("xdotool", "getmouselocation", "--shell"))
        frame = int(under.group(1)) if under else None
        for wid, name in self.windows().items():
            if self.frame(wid) == frame:
                return repr(name)
        return f"a window not of the program ({frame})"

    def click(self, wid, caption, rect, what, top=0):
        if not self.point(wid, rect, top):
            raise Failure(f"{what}: {self.under_pointer()} lies over {caption!r} at that spot")
        self.x("xdotool", "click", "1")

    def keys(self, *names):
        self.x("xdotool", "key", "--delay", "40", *names)

    def type(self, text):
        self.x("xdotool", "type", "--delay", "40", "--", text)

    def exit_code(self, timeout):
        try:
            return self.program.wait(timeout=timeout * PATIENCE)
        except subprocess.TimeoutExpired:
            return None

    # ------------------------------------------------------------ clipboard

    def own_clipboard(self, text):
        """Puts text on the clipboard from a process of ours that gives it up,
        and ends, as soon as someone else takes the clipboard."""
        owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-i", "-quiet"],
                                 env=self.env, stdin=subprocess.PIPE,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.sentinels.append(owner)
        owner.stdin.write(text.encode())
        owner.stdin.close()
        wait(lambda: self.clipboard() == text, "the clipboard to hold the marker")
        return owner

    def clipboard(self):
        done = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"],
                              env=self.env, capture_output=True, timeout=10)
        return done.stdout.decode() if done.returncode == 0 else None


class Qirtaz:
    """The scenario's view of the program: its main window and its post."""

    def __init__(self, desktop):
        self.d = desktop
        # A first start on a busy machine may take a while.
        self.main = desktop.window(MAIN, timeout=30)
        width, height = desktop.size(self.main)
        if width != MAIN_CLIENT[0] or not 0 < height - MAIN_CLIENT[1] < 60:
            raise Failure(f"main window is {width}x{height}, expected {MAIN_CLIENT[0]} wide "
                          f"and {MAIN_CLIENT[1]} high below a menu bar")
        self.menu_bar = height - MAIN_CLIENT[1]
        self.copies = 0

    def on_main(self, name):
        """Clicks a control of the main window. If a dialog lies over that spot,
        the main window is brought forward first, as a person would do from the
        window list; steps that check who is in front never go through here."""
        if not self.d.point(self.main, ON_MAIN[name], self.menu_bar):
            self.d.bring_forward(self.main, MAIN)
        self.d.click(self.main, MAIN, ON_MAIN[name], f"main window {name}", self.menu_bar)

    def open(self, opener, caption):
        """Opens a dialog and waits until it is there and in front, with no help
        from the test to get it there."""
        self.on_main(opener)
        wid = self.d.window(caption)
        self.d.in_front(wid, caption)
        return wid

    def confirm(self, wid, caption, ok, what):
        """Clicks a dialog's OK and waits for the dialog to go and the main
        window to come back in front on its own."""
        self.d.click(wid, caption, ok, what)
        self.d.gone(wid, caption)
        self.d.in_front(self.main, MAIN)

    def post(self):
        """The whole post, as the copy button puts it on the clipboard."""
        self.copies += 1
        marker = f"qirtaz e2e marker {self.copies}"
        owner = self.d.own_clipboard(marker)
        self.on_main("Command5")
        wait(lambda: owner.poll() is not None, "the copy button to take the clipboard")
        return wait(lambda: self.d.clipboard(), "the copied post", accept_empty=True)

    def choose_about(self):
        """The menu title at the left end of the menu bar, then its only item."""
        if not self.d.point(self.main, (0, 0, 15, 15), self.menu_bar):
            self.d.bring_forward(self.main, MAIN)
        self.d.x("xdotool", "mousemove", "--window", self.main, "20", str(self.menu_bar // 2))
        self.d.x("xdotool", "click", "1")
        self.d.x("xdotool", "mousemove", "--window", self.main, "30", str(self.menu_bar + 11))
        wait(self.d.popup_under_pointer, "the menu to open under the pointer")
        self.d.x("xdotool", "click", "1")

    def post_box_inside(self):
        """The post box's inside, in the window's pixels: its rectangle less a
        frame and a scroll bar, which the text never reaches."""
        left, top, width, height = (v // 15 for v in ON_MAIN["Text1"])
        return (left + 3, top + self.menu_bar + 3, width - 6 - 18, height - 6 - 18)

    def shows_words(self):
        """Whether the post box shows any text: ink wider than the caret."""
        bands = ink_rows(self.d.pixels(self.main), self.post_box_inside())
        return any(band["right"] - band["left"] > 10 for band in bands)

    def paste(self, *keys):
        """Keys that paste into the empty post box, and the wait for the box to
        show what they pasted: until the program has read the clipboard, nothing
        else may be put there (a marker of post(), say)."""
        wait(lambda: not self.shows_words(), "the post box to be empty")
        self.d.keys(*keys)
        wait(self.shows_words, f"{' '.join(keys)} to paste into the post box")

    def type_in_post(self, *keys_then_text):
        self.on_main("Text1")
        self.d.in_front(self.main, MAIN)
        for item in keys_then_text:
            if item.startswith("key:"):
                self.d.keys(item[4:])
            else:
                self.d.type(item)


def wait(condition, what, timeout=10.0, describe=None, accept_empty=False, patient=True):
    """Waits until condition() gives a value, and returns it. Only where a
    failure is looked for again and again (patient=False) is the deadline as
    written, so that the failures are all told within CTest's limit."""
    timeout *= PATIENCE if patient else 1
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or (accept_empty and value is not None):
            return value
        if time.monotonic() >= deadline:
            detail = f" ({describe()})" if describe else ""
            raise Failure(f"timed out after {timeout:g} s waiting for {what}{detail}")
        time.sleep(0.05)


def settled(fault, what, timeout=10):
    """Waits until fault() finds nothing, and fails with what it last found."""
    found = []

    def fine():
        found[:] = [fault()]
        return found[0] is None
    try:
        wait(fine, what, timeout)
    except Failure as failure:
        raise Failure(f"{failure}: {found[0]}") from None


def ink_rows(pixels, box):
    """The rows of text in a part of a window: for each band of rows holding
    ink, its leftmost and rightmost inked column and its darkest pixel in each
    tenth of the box's width, all relative to the box."""
    left, top, width, height = box
    bands = []
    current = None
    for y in range(top, top + height):
        inked = [x - left for x in range(left, left + width) if sum(pixels[y][x]) < 600]
        if inked and current is None:
            current = {"top": y - top, "left": inked[0], "right": inked[-1], "rows": [y]}
            bands.append(current)
        elif inked:
            current["left"] = min(current["left"], inked[0])
            current["right"] = max(current["right"], inked[-1])
            current["rows"].append(y)
        else:
            current = None
    return bands


def darkest(pixels, rows, left, right):
    return min(sum(pixels[y][x]) for y in rows for x in range(left, right + 1))


def reading(d, app):
    """Arabic that reads right: each paragraph from its own edge, tags muted,
    and the preview beside the main window following the post."""
    long_line = "هذا سطر طويل جدا في منتدانا " * 6
    post = ("[color=red]مرحبا[/color] بكم في منتدانا\n"
            "Hello [b]world[/b] :D [img]https://example.com/a.png[/img]\n" + long_line)
    app.on_main("Text1")
    app.d.own_clipboard(post)
    app.paste("ctrl+v")
    d.keys("ctrl+Home")
    got = app.post()
    if got != post:
        raise Failure(f"the pasted post is\n    {got!r}\n  expected\n    {post!r}")
    app.on_main("Text1")  # the copy button keeps the focus; the caret stays at the start

    inside = app.post_box_inside()
    view = inside[2]

    def misdrawn():
        pixels = d.pixels(app.main)
        bands = ink_rows(pixels, inside)
        if len(bands) != 3:
            return f"expected three lines of text in the post box, found {len(bands)}: {bands}"
        first, hello, long_band = bands
        if not (first["right"] > view * 0.9 and first["left"] > view * 0.2):
            return f"the first Arabic line does not lie whole in the right part of the box: {first}"
        if not hello["left"] < view * 0.05:
            return f"'Hello' does not start at the left edge of the box: {hello}"
        if not (long_band["right"] > view * 0.9 and long_band["left"] < view * 0.05):
            return f"the long Arabic line does not start at the right edge and run over: {long_band}"
        # The tag at the start of the first line, at its right end, is drawn
        # lighter than the word beside it.
        right = inside[0] + first["right"]
        tag = darkest(pixels, first["rows"], right - 40, right)
        word = darkest(pixels, first["rows"], right - 110, right - 70)
        if not tag > word + 60:
            return f"the opening tag is not drawn lighter than the word after it ({tag} vs {word})"
        return None
    settled(misdrawn, "the post box to show the post")
    print("ok - each line starts at its own edge, in view; the tags are drawn lighter", flush=True)

    # The preview, from its key, stands beside the main window.
    d.keys("F5")
    preview = d.window(PREVIEW)
    main_left, _ = d.origin(app.main)
    preview_left, _ = d.origin(preview)
    if preview_left < main_left + MAIN_CLIENT[0]:
        raise Failure(f"the preview at x={preview_left} is not beside the main window at x={main_left}")

    def previewed():
        marker = "qirtaz e2e preview marker"
        # The preview may still be reading the post (slowly, under the
        # sanitizers and a tracer): Ctrl+C copies once it shows it.
        for attempt in range(6):
            d.bring_forward(preview, PREVIEW)
            owner = d.own_clipboard(marker)
            d.keys("ctrl+a", "ctrl+c")
            try:
                wait(lambda: owner.poll() is not None, "the preview to take the clipboard", timeout=5)
                break
            except Failure:
                owner.kill()
                owner.wait()
                if attempt == 5:
                    raise
        return wait(lambda: d.clipboard(), "the previewed text")

    # What the reader sees: the smiley as its code, the picture as its
    # address, and none of the marks that order the text on screen.
    shown = previewed()
    for words in ("مرحبا بكم في منتدانا", "Hello world :D https://example.com/a.png",
                  long_line.strip()):
        if words not in shown:
            raise Failure(f"the preview does not show {words!r}: {shown!r}")
    if "[" in shown:
        raise Failure(f"the preview shows a tag: {shown!r}")
    unseen = [f"U+{ord(c):04X}" for c in shown if "\u2066" <= c <= "\u2069" or c == "\ufffc"]
    if unseen:
        raise Failure(f"the copy from the preview holds {unseen}: {shown!r}")

    app.type_in_post("key:ctrl+End", " [QUOTE]xyz")
    wait(lambda: "[QUOTE]xyz" in previewed(), "the preview to show the unclosed tag as typed")
    post += " [QUOTE]xyz"
    if app.post() != post:
        raise Failure("the copy button no longer gives the post as it is")
    d.bring_forward(preview, PREVIEW)
    d.keys("Escape")
    d.gone(preview, PREVIEW)
    print("ok - the preview shows the words without tags, copies them as the reader sees them, "
          "follows the post, shows an unclosed tag as typed, and goes with Esc", flush=True)


def aids(d, app):
    """Tags around the selection by key, each one step of the undo history, and
    HTML from the clipboard pasted as board tags."""
    def expect(post, what):
        got = app.post()
        if got != post:
            raise Failure(f"{what}: the post is\n    {got!r}\n  expected\n    {post!r}")
        print(f"ok - {what}", flush=True)

    app.on_main("Text1")
    app.d.own_clipboard("مرحبا بكم")
    app.paste("ctrl+v")
    d.keys("Home", "shift+End", "ctrl+b")
    expect("[b]مرحبا بكم[/b]", "Home, Shift+End and Ctrl+B put the line in bold")
    d.keys("ctrl+i")
    expect("[b][i]مرحبا بكم[/i][/b]", "Ctrl+I then nests italic inside, around the same words")
    d.keys("ctrl+z", "ctrl+z")
    expect("مرحبا بكم", "two Ctrl+Z take both away")
    # The line reads right to left: from its end, Shift+Right walks back over the last word.
    d.keys("End", "shift+Right", "shift+Right", "shift+Right", "ctrl+shift+x")
    expect("مرحبا [s]بكم[/s]", "a word selected with Shift and arrows is struck alone")

    html = ('<p><b>مرحبا</b> <a href="http://example.org">بكم</a> '
            '<span style="color:red">هنا</span></p>')
    owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-t", "text/html", "-i", "-quiet"],
                             env=d.env, stdin=subprocess.PIPE,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    d.sentinels.append(owner)
    owner.stdin.write(html.encode())
    owner.stdin.close()
    wait(lambda: subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "text/html"],
                                env=d.env, capture_output=True).stdout.decode() == html,
         "the clipboard to hold the HTML")
    d.keys("ctrl+a", "Delete")
    app.paste("ctrl+shift+v")
    tags = "[b]مرحبا[/b] [url=http://example.org]بكم[/url] [color=red]هنا[/color]"
    # The page is read on a worker thread; its tags go in once it is read.
    wait(lambda: app.post() == tags, "the pasted page's tags", timeout=10)
    expect(tags, "Ctrl+Shift+V pastes the HTML as board tags")
    d.keys("ctrl+z")
    expect("", "one Ctrl+Z takes the whole paste away")


def keyboard(d, app):
    """Colour, size and the insert menu by keys alone: no click from here to the end."""
    def expect(post, what):
        app.copies += 1
        owner = d.own_clipboard(f"qirtaz e2e keyboard marker {app.copies}")
        d.keys("ctrl+shift+p")
        wait(lambda: owner.poll() is not None, "Ctrl+Shift+P to take the clipboard")
        got = wait(d.clipboard, "the copied post", accept_empty=True)
        if got != post:
            raise Failure(f"{what}: the post is\n    {got!r}\n  expected\n    {post!r}")
        print(f"ok - {what}", flush=True)

    def focused(wid, caption, rect, what):
        """The focus frame, black outside and white inside, on a control's left edge."""
        d.in_front(wid, caption)
        left, top, _, height = (v // 15 for v in rect)
        rows = d.pixels(wid)[top + 3:top + height - 3]
        if any(row[left] != (0, 0, 0) or row[left + 2] != (255, 255, 255) for row in rows):
            raise Failure(f"no focus frame on {what}")
        if os.environ.get("QIRTAZ_E2E_SHOTS"):  # to look at
            d.x("import", "-window", "root", os.path.join(os.environ["QIRTAZ_E2E_SHOTS"], what + ".png"))

    d.in_front(app.main, MAIN)
    d.type("abc")
    d.keys("ctrl+shift+c")
    colours = d.window(COLOURS)
    d.keys("Left", "Left", "Left", "Left")
    focused(colours, COLOURS, (240, 1080, 855, 375), "whole-post red swatch")
    d.keys("Return")
    d.gone(colours, COLOURS)
    expect("[color=red]abc[/color]", "the colour list by keys: four times Left, Enter")
    d.keys("ctrl+shift+t")
    size = d.window(SIZE)
    d.keys("Tab", "Left", "Down", "Down")
    focused(size, SIZE, (240, 1560, 615, 495), "whole-post number 3")
    d.keys("Return")
    d.gone(size, SIZE)
    expect("[size=3][color=red]abc[/color][/size]", "the size dialog by keys: Tab, Left, Down, Down, Enter")

    # The insert menu opens on its first item, the grin; Down to the next. Left
    # there with Esc, on the menu bar, the keys work on. (Alt and its letter:
    # tst_commands; xdotool loses the Alt when it reaches for an Arabic key.)
    # Each key waits for the menu to open or close: a key sent on meanwhile
    # may reach the menu as it goes, or the window before it comes.
    def menu_open():
        shown = d.x("xdotool", "search", "--onlyvisible", "--pid", str(d.program.pid), check=False)
        return bool(set(map(int, shown.split())) - d.managed())

    def menu(key, opens):
        d.keys(key)
        wait(lambda: menu_open() == opens, f"{key} to {'open' if opens else 'close'} the menu")
    menu("F10", True)
    if os.environ.get("QIRTAZ_E2E_SHOTS"):
        time.sleep(0.5)  # for the picture: the menu drawn as well as mapped
        d.x("import", "-window", "root", os.path.join(os.environ["QIRTAZ_E2E_SHOTS"], "insert menu.png"))
    menu("Return", False)
    menu("F10", True)
    d.keys("Down")
    menu("Return", False)
    menu("F10", True)
    menu("Escape", False)
    d.keys("alt+3")
    expect("[size=3][color=red]abc[/color][/size]:D:confused:;)",
           "F10 opens the insert menu; its items and the keys work")
    d.keys("ctrl+shift+c")
    colours = d.window(COLOURS)
    d.keys("Escape")
    d.gone(colours, COLOURS)


def preview_keys(d, app):
    """F5 opens the preview without taking the keyboard from the post, a second
    F5 brings it forward and typing still goes into the post, and Esc in the
    preview goes back to the main window."""
    def stacking():
        ids = re.findall(r"0x[0-9a-f]+", d.x("xprop", "-root", "_NET_CLIENT_LIST_STACKING", check=False))
        return [int(w, 16) for w in ids]

    app.on_main("Text1")
    d.in_front(app.main, MAIN)
    d.keys("F5")
    preview = d.window(PREVIEW)
    time.sleep(0.5)  # time for a window manager to hand the focus over, were it asked to
    d.type("[url=javascript:alert(1)]x[/url] ")
    if d.active() != app.main:
        raise Failure(f"after F5 the active window is {d.windows().get(d.active(), d.active())!r}")
    # The main window, clicked, comes over the preview; F5 brings the preview back over it.
    app.on_main("Text1")
    d.keys("ctrl+End")
    wait(lambda: stacking().index(int(app.main)) > stacking().index(int(preview)),
         "the main window to come over the preview")
    d.keys("F5")
    wait(lambda: stacking().index(int(preview)) > stacking().index(int(app.main)),
         "a second F5 to bring the preview forward")
    d.type("[size=7]y[/size]")
    post = "[url=javascript:alert(1)]x[/url] [size=7]y[/size]"
    if app.post() != post:
        raise Failure(f"typed after F5, the post is {app.post()!r}, expected {post!r}")
    d.bring_forward(preview, PREVIEW)
    d.keys("Escape")
    d.gone(preview, PREVIEW)
    d.in_front(app.main, MAIN)
    print("ok - F5 opens the preview and brings it forward while typing goes on in the post; "
          "Esc in the preview goes back to the main window", flush=True)


def boards(d, app):
    """The board menu: under phpBB the preview shows a link closed with "[url/]"
    as typed (phpBB reads only "[/url]") and the link dialog closes its link
    with "[/url]"; back on the default board the dialog writes "[url/]" again."""
    def choose(downs):
        # F10 opens the insert menu; Right past the edit menu goes on to the board
        # menu, open on its first item.
        d.keys("F10")
        wait(lambda: set(map(int, d.x("xdotool", "search", "--onlyvisible", "--pid", str(d.program.pid),
                                      check=False).split())) - d.managed(), "F10 to open the menu")
        d.keys("Right", "Right", *(["Down"] * downs), "Return")
        time.sleep(0.3)

    def previewed(preview):
        marker = "qirtaz e2e board marker"
        for attempt in range(6):
            d.bring_forward(preview, PREVIEW)
            owner = d.own_clipboard(marker)
            d.keys("ctrl+a", "ctrl+c")
            try:
                wait(lambda: owner.poll() is not None, "the preview to take the clipboard", timeout=5)
                break
            except Failure:
                owner.kill()
                owner.wait()
                if attempt == 5:
                    raise
        text = wait(lambda: d.clipboard(), "the previewed text")
        return text.replace("\u2066", "").replace("\u2069", "")

    typed = "[url=http://example.com]x[url/] "
    app.type_in_post("key:ctrl+End", typed)
    choose(3)  # the default, MyBB, SMF, phpBB
    d.keys("F5")
    preview = d.window(PREVIEW)
    wait(lambda: typed.strip() in previewed(preview),
         "the preview under phpBB to show the link as typed", timeout=15)
    # Marked: with the selection gone (a click in the page), the tags' own
    # tint shows, and the foot's warning line counts them.
    width, height = d.size(preview)
    d.x("xdotool", "mousemove", "--window", preview, str(width // 2), str(height // 3))
    d.x("xdotool", "click", "1")

    def tints():
        seen = {colour for row in d.pixels(preview) for colour in row}
        return {"mark": (0xfd, 0xe4, 0xe4) in seen, "foot": (0xff, 0xf1, 0xc8) in seen}
    wait(lambda: all(tints().values()), "the link's tags marked and counted in the foot",
         describe=tints)
    if os.environ.get("QIRTAZ_E2E_SHOTS"):
        time.sleep(0.5)
        d.x("import", "-window", "root", os.path.join(os.environ["QIRTAZ_E2E_SHOTS"], "phpbb preview.png"))
    link = app.open("Image3", LINK)
    d.type("abc")
    app.confirm(link, LINK, (3120, 1200, 600, 300), "link dialog OK")
    post = app.post()
    if post != typed + "[url=http://]abc[/url]":
        raise Failure(f"under phpBB the link dialog left {post!r}")
    choose(0)
    wait(lambda: typed.strip() not in previewed(preview),
         "the preview back on the default board to take the link closed with [url/]")
    link = app.open("Image3", LINK)
    d.type("abc")
    app.confirm(link, LINK, (3120, 1200, 600, 300), "link dialog OK")
    post = app.post()
    if post != typed + "[url=http://]abc[/url][url=http://]abc[url/]":
        raise Failure(f"back on the default board the link dialog left {post!r}")
    d.bring_forward(preview, PREVIEW)
    d.keys("Escape")
    d.gone(preview, PREVIEW)
    print("ok - under phpBB the preview shows [url/] unread and the link dialog writes [/url]; "
          "back on the default board it writes [url/]", flush=True)


def spelling(d, app):
    """A misspelt word underlined in red and nothing else; the right mouse
    button on it gives the dictionary's suggestions first, Down and Enter take
    the first, and one Ctrl+Z brings the word back; F7 takes every mark away."""
    line = "هذا نص فيه كلمة الموضوعع خاطئة [b]bold[/b] http://example.org :D"
    left, top, width, height = (v // 15 for v in ON_MAIN["Text1"])
    inside = (left + 3, top + app.menu_bar + 3, width - 6 - 18, height - 6 - 18)

    def red():
        pixels = d.pixels(app.main)
        return [(x, y) for y in range(inside[1], inside[1] + inside[3])
                for x in range(inside[0], inside[0] + inside[2])
                if pixels[y][x][0] > 150 and pixels[y][x][0] - max(pixels[y][x][1:]) > 50]

    app.type_in_post(line)
    # The dictionaries load once the window is up (slowly under the sanitizers).
    wave = wait(red, "a misspelt word to be underlined in red", timeout=60)
    xs = sorted({x for x, _ in wave})
    # The wave is a thin line: its slopes leave a column or two without red.
    runs = sum(1 for a, b in zip(xs, xs[1:]) if b - a > 5) + 1
    if runs != 1 or xs[-1] - xs[0] > 120:
        raise Failure(f"expected one word underlined, found red at x {xs[0]}..{xs[-1]} in {runs} runs")

    def menu_height():
        """The height of the program's unmanaged window under the pointer: its menu."""
        where = d.x("xdotool", "getmouselocation", "--shell")
        x, y = (int(re.search(f"{c}=(-?\\d+)", where).group(1)) for c in "XY")
        for wid in d.x("xdotool", "search", "--onlyvisible", "--pid", str(d.program.pid),
                       check=False).split():
            if int(wid) in d.managed():
                continue
            info = d.x("xwininfo", "-id", wid, check=False)
            found = [int(re.search(p, info).group(1)) for p in (
                r"Absolute upper-left X:\s+(-?\d+)", r"Absolute upper-left Y:\s+(-?\d+)",
                r"Width: (\d+)", r"Height: (\d+)")]
            # Right to left, the menu opens leftwards of the pointer.
            if found[0] - 3 <= x <= found[0] + found[2] + 3 and found[1] - 3 <= y <= found[1] + found[3] + 3:
                return found[3]
        return None

    x = (xs[0] + xs[-1]) // 2
    y = min(y for _, y in wave) - 5
    d.x("xdotool", "mousemove", "--window", app.main, str(x), str(y))
    d.x("xdotool", "click", "3")
    # A menu opened before the suggestions are in says so, and grows when they come.
    heights = [wait(menu_height, "the post box's menu")]
    while len(heights) < 10 or len(set(heights[-10:])) > 1:
        time.sleep(0.1)
        heights.append(menu_height())
    d.keys("Down", "Return")
    fixed = line.replace("الموضوعع", "الموضوع")
    got = app.post()
    if got != fixed:
        raise Failure(f"the first suggestion gave\n    {got!r}\n  expected\n    {fixed!r}")
    app.on_main("Text1")
    d.keys("ctrl+z")
    got = app.post()
    if got != line:
        raise Failure(f"one Ctrl+Z gave\n    {got!r}\n  expected\n    {line!r}")
    wait(red, "the word brought back to be underlined again", timeout=20)
    app.on_main("Text1")
    d.keys("F7")
    wait(lambda: not red(), "F7 to take the mark away")
    d.keys("F7")
    wait(red, "F7 to bring the mark back")
    print("ok - only the misspelt word is underlined; its first suggestion replaces it in "
          "one step of Ctrl+Z; F7 turns the marks off and on", flush=True)


def room(d, app):
    """Maximized with wrapping on, a long Arabic paragraph fits the post box
    with no sideways scroll bar; its rows break between words and tags; a click
    on the third row puts the caret there, and Down goes from the first row to
    the second under the same place; back at its size, the window is as before."""
    text = paragraph(2000)
    left, top, width, height = (v // 15 for v in ON_MAIN["Text1"])
    catalogued = d.size(app.main)
    outside = [(x, y) for y in range(0, catalogued[1], 3) for x in range(0, catalogued[0], 3)
               if not (left <= x < left + width and
                       app.menu_bar + top <= y < app.menu_bar + top + height)]
    app.on_main("Text1")
    before = d.pixels(app.main)
    d.own_clipboard(text)
    app.paste("ctrl+v")
    wait(lambda: app.post() == text, "the pasted paragraph to be the post")
    app.on_main("Text1")
    d.keys("F6")
    # A double click on the title bar maximizes, as openbox has it.
    d.x("xdotool", "mousemove", "--window", app.main, "100", "-10", "click", "--repeat", "2",
        "--delay", "80", "1")
    wait(lambda: d.size(app.main)[0] > catalogued[0] + 300, "the window to be maximized")
    time.sleep(0.5)
    grown = d.size(app.main)
    box = (left, app.menu_bar + top, width + grown[0] - catalogued[0],
           height + grown[1] - catalogued[1])
    # Inside the box's frame, left of its vertical scroll bar.
    inside = (box[0] + 3, box[1] + 3, box[2] - 6 - 18, box[3] - 6)
    pixels = d.pixels(app.main)
    strip = [pixels[y][x] for y in range(inside[1] + inside[3] - 20, inside[1] + inside[3])
             for x in range(inside[0], inside[0] + inside[2])]
    if any(sum(p) < 700 for p in strip):
        raise Failure("something is drawn along the box's bottom edge: a sideways scroll bar?")

    def selected():
        """Where the selection is drawn in the box: top, bottom, left, right."""
        shown = d.pixels(app.main)
        found = [(x, y) for y in range(inside[1], inside[1] + inside[3])
                 for x in range(inside[0], inside[0] + inside[2], 2)
                 if shown[y][x][2] > shown[y][x][0] + 60]
        if not found:
            raise Failure("no selection drawn in the post box")
        return (min(y for _, y in found), max(y for _, y in found),
                min(x for x, _ in found), max(x for x, _ in found))

    # Each row as Home and Shift+End select it, copied; the first three as drawn.
    rows = []
    bands = []
    d.keys("ctrl+Home")
    for _ in range(60):
        marker = d.own_clipboard(f"row marker {len(rows)}")
        d.keys("Home", "shift+End", "ctrl+c")
        wait(lambda: marker.poll() is not None, "the row to be copied")
        row = d.clipboard()
        if rows and row == rows[-1]:
            break
        rows.append(row)
        if len(bands) < 3:
            bands.append(selected())
        d.keys("Down")
    if " ".join(r.strip(" ") for r in rows) != text:
        raise Failure("the rows as selected are not the paragraph:\n" +
                      "\n".join(repr(r) for r in rows))
    pitch = bands[1][0] - bands[0][0]
    if len(rows) < 4 or bands[2][0] - bands[1][0] != pitch or len(rows) * pitch > inside[3]:
        raise Failure(f"{len(rows)} rows {pitch} pixels apart in a box {inside[3]} high")
    for row in rows:
        if re.search(r"[\[\]]", re.sub(r"\[[^\[\]]*\]", "", row)):
            raise Failure(f"a tag broken at the edge of the row {row!r}")
    starts = []
    for row in rows:
        starts.append(text.index(row, starts[-1] if starts else 0))

    def whole():
        """The post as Ctrl+A and Ctrl+C in the box copy it: the buttons moved."""
        marker = d.own_clipboard("whole marker")
        d.keys("ctrl+a", "ctrl+c")
        wait(lambda: marker.poll() is not None, "the post to be copied")
        return d.clipboard()

    def marked(x, band, *keys):
        """Where "#" goes in after a click at x on a row, then keys; taken back
        with one Ctrl+Z."""
        y = (bands[band][0] + bands[band][1]) // 2
        d.x("xdotool", "mousemove", "--window", app.main, str(x), str(y), "click", "1")
        if keys:
            d.keys(*keys)
        d.type("#")
        where = whole().find("#")
        d.keys("ctrl+z")
        return where

    x = (bands[1][2] + bands[1][3]) // 2
    third = marked(x, 2)
    if not starts[2] < third < starts[2] + len(rows[2]):
        raise Failure(f"a click on the third row put the caret at {third}, not in "
                      f"{starts[2]}..{starts[2] + len(rows[2])}")
    second = marked(x, 1)
    down = marked(x, 0, "Down")
    # Down aims at where the caret stood, the click at the pointer: half a
    # letter apart at most.
    if abs(down - second) > 1 or not starts[1] <= down <= starts[1] + len(rows[1]):
        raise Failure(f"Down from the first row put the caret at {down}; a click on the "
                      f"second row right under it at {second}")
    if whole() != text:
        raise Failure("the paragraph changed while it was clicked")

    d.x("xdotool", "mousemove", "--window", app.main, "100", "-10", "click", "--repeat", "2",
        "--delay", "80", "1")
    wait(lambda: d.size(app.main) == catalogued, "the window back at its size")
    app.on_main("Image19")
    app.on_main("Text1")
    d.keys("F6")
    time.sleep(0.5)
    after = d.pixels(app.main)
    moved = [(x, y) for x, y in outside if after[y][x] != before[y][x]]
    if len(moved) > 10:
        raise Failure(f"back at its size, the window differs outside the post box at {moved[:10]}")
    print(f"ok - maximized and wrapped, a paragraph of {len(text)} characters in {len(rows)} "
          "rows fits with no tag broken; clicks and Down follow the rows; back at its size, "
          "the window is as it was", flush=True)


def scenario(d):
    app = Qirtaz(d)
    steps = 0
    expected = ""

    def check(step):
        nonlocal steps
        steps += 1
        got = app.post()
        if got != expected:
            raise Failure(f"step {steps} ({step}): the post is\n    {got!r}\n  expected\n    {expected!r}")
        print(f"ok {steps} - {step}", flush=True)

    check("the post starts empty")

    reading(d, app)
    app.on_main("Image19")
    check("the post read, previewed and cleared")
    aids(d, app)
    app.on_main("Image19")
    check("tags put around the selection and HTML pasted as tags, then cleared")
    keyboard(d, app)
    app.on_main("Image19")
    check("colour, size and the insert menu from the keyboard, then cleared")
    preview_keys(d, app)
    app.on_main("Image19")
    check("typed into the post past F5, then cleared")
    boards(d, app)
    app.on_main("Image19")
    check("the board menu: the preview and the link dialog follow the board, then cleared")
    spelling(d, app)
    app.on_main("Image19")
    check("a misspelt word marked, replaced from its menu and brought back, then cleared")
    room(d, app)
    check("a long paragraph wrapped in the maximized window, then cleared")

    for control, code in SMILEYS:
        app.on_main(control)
        expected += code
    check("smileys " + ", ".join(c for c, _ in SMILEYS) + " append their codes")

    # Typed text sits where it was typed; a command appends at the very end,
    # whatever the caret, so the caret is left at the start before the grin.
    app.type_in_post("key:ctrl+End", " hi [b] ", "key:ctrl+Home")
    app.on_main("Image8")
    expected += " hi [b] :D"
    check("typing between smileys; the grin goes to the end, not to the caret")

    # The image dialog brings the main window back. Another dialog is made the
    # last one used before it, so that a window manager handing the focus back
    # on its own would give it to that dialog, not to the main window.
    image = app.open("Image1", IMAGE)
    web = app.open("Image2", WEB)
    d.type("zzz")
    d.bring_forward(image, IMAGE)
    app.confirm(image, IMAGE, (3240, 600, 600, 300), "image dialog OK")
    expected += "[img]http://[/img]"
    check("image dialog untouched; the main window is back in front")

    # Its opener brings the open dialog forward, over the sound dialog opened
    # since (same window, not a second one); closing it through its frame
    # unloads it alone and inserts nothing, and the sound dialog still works.
    sound = app.open("Image4", SOUND)
    again = app.open("Image2", WEB)
    if again != web:
        raise Failure("the web-page opener made a new window instead of bringing the open one forward")
    d.keys("alt+F4")
    d.gone(web, WEB)
    left = d.windows()
    if app.main not in left or sound not in left:
        raise Failure(f"closing the web-page dialog through its frame closed more than it: {left}")
    # The main window may now lie over it; its opener brings it forward.
    if app.open("Image4", SOUND) != sound:
        raise Failure("the sound opener made a new window instead of bringing the open one forward")
    d.click(sound, SOUND, (3000, 840, 600, 300), "sound dialog OK")
    d.gone(sound, SOUND)
    expected += "[SOUND]http://[/SOUND]"
    check("the web-page dialog closed through its frame, alone; the sound dialog inserts after it")

    web = app.open("Image2", WEB)
    d.click(web, WEB, (2760, 600, 600, 300), "web-page dialog OK")
    d.gone(web, WEB)
    expected += "[web]http://[/web]"
    check("the web-page dialog reopens with its box as designed, not as typed")

    link = app.open("Image3", LINK)
    d.type("abc")
    app.confirm(link, LINK, (3120, 1200, 600, 300), "link dialog OK")
    before_link = expected
    expected += "[url=http://]abc[url/]"
    check("link with a typed phrase")

    app.type_in_post("key:ctrl+z")
    expected = before_link
    check("Ctrl+Z takes the link back in one step")

    flash = app.open("Image6", FLASH)
    d.click(flash, FLASH, (1080, 600, 1095, 375), "Flash width box")
    d.keys("ctrl+a")
    d.type("500")
    d.click(flash, FLASH, (3480, 600, 1095, 375), "Flash height box")
    d.keys("ctrl+a")
    d.type("300")
    d.click(flash, FLASH, (3360, 1200, 600, 300), "Flash dialog OK")
    d.gone(flash, FLASH)
    expected += "[FLASH=http://]WIDTH=500HEIGHT=300[/FLASH]"
    check("Flash with both sizes typed")

    media = app.open("Image5", REALMEDIA)
    d.click(media, REALMEDIA, (240, 840, 855, 375), "the video option")
    d.click(media, REALMEDIA, (2400, 1200, 600, 300), "RealMedia dialog OK")
    d.gone(media, REALMEDIA)
    expected += "[RAM]http://[/RAM]"
    check("RealMedia with the video option clicked")

    quote = app.open("quote box", QUOTE)
    if d.with_caption(HIDDEN_QUOTE):
        raise Failure(f"a click on the quote box opened {HIDDEN_QUOTE!r}, the dialog of the frame behind it")
    passage = "  a [/QUOTE]b  [i]=]  "
    d.type(passage)
    d.click(quote, QUOTE, (3240, 960, 600, 300), "quote dialog OK")
    d.gone(quote, QUOTE)
    expected += "[QUOTE]" + passage + "[/QUOTE]"
    check("a quote with blanks and brackets goes in unchanged")

    colours = app.open("Image17", COLOURS)
    d.click(colours, COLOURS, (1320, 1080, 855, 375), "whole-post green swatch")
    d.gone(colours, COLOURS)
    before_wrap = expected
    expected = "[color=green]" + expected + "[/color]"
    check("the whole post in green")

    app.type_in_post("key:ctrl+z")
    expected = before_wrap
    check("Ctrl+Z takes the whole-post colour back in one step")

    colours = app.open("Image17", COLOURS)
    d.click(colours, COLOURS, (3360, 4320, 855, 375), "word orange swatch")
    orange = d.window(COLOUR)
    d.gone(colours, COLOURS)
    d.in_front(orange, COLOUR)
    d.click(orange, COLOUR, (1560, 600, 480, 480), "orange dialog cancel")
    colours = d.window(COLOURS)
    d.gone(orange, COLOUR)
    d.in_front(colours, COLOURS)
    check("cancel in a word colour dialog brings the colour list back, post untouched")

    d.bring_forward(colours, COLOURS)  # reading the post raised the main window over it
    d.click(colours, COLOURS, (120, 3480, 855, 375), "word red swatch")
    red = d.window(COLOUR)
    d.in_front(red, COLOUR)
    d.type(" x [y] ")
    app.confirm(red, COLOUR, (3000, 720, 600, 300), "red dialog OK")
    expected += "[color=red] x [y] [/color]"
    check("a word in red, then the main window in front")

    size = app.open("Command1", SIZE)
    d.click(size, SIZE, (1200, 480, 2055, 285), "size row 1 box")
    d.type("lost")
    d.click(size, SIZE, (1200, 1080, 2055, 285), "size row 2 box")
    d.type("big كبير")
    d.click(size, SIZE, (3600, 1080, 615, 255), "size row 2 OK")
    d.gone(size, SIZE)
    expected += "[size=2]big كبير[/size]"
    check("size row 2 takes its own box only, Arabic typed from the keyboard")

    app.on_main("Image19")
    expected = ""
    check("clear empties the post")

    # The about window, chosen twice from the menu: one window, at its size. Closed
    # through its frame, it leaves the main window and the post as they were.
    app.type_in_post("نص باق")
    expected = "نص باق"
    app.choose_about()
    about = d.window(ABOUT)
    d.in_front(about, ABOUT)
    app.choose_about()
    if d.window(ABOUT) != about:
        raise Failure("choosing the about item again made a second about window")
    d.in_front(about, ABOUT)
    if d.size(about) != ABOUT_CLIENT:
        raise Failure(f"the about window is {d.size(about)}, expected {ABOUT_CLIENT}")
    d.keys("alt+F4")
    d.gone(about, ABOUT)
    if app.main not in d.windows():
        raise Failure(f"closing the about window closed more than it: {d.windows()}")
    check("the about window: chosen twice, one window; closed, the post as it was")

    # Exit with a dialog still open: the message box holds the whole program,
    # and once dismissed every window goes and the program ends cleanly.
    app.open("Command1", SIZE)
    before = set(d.windows())
    app.on_main("Command4")
    box = wait(lambda: next(iter(set(d.windows()) - before), None), "the exit message box",
               describe=d.windows)
    d.in_front(box, "the exit message box")
    if not d.is_modal(box):
        raise Failure("the exit message box is not modal")
    d.keys("Return")
    code = d.exit_code(timeout=10)
    if code is None:
        raise Failure(f"the program still runs after the exit message; windows: {d.windows()}")
    if code != 0:
        raise Failure(f"the program ended with status {code}")
    print(f"ok {steps + 1} - the exit message box, then the program ends with status 0", flush=True)


def main(runs=((Desktop, scenario),), usage=__doc__, also_missing=lambda: []):
    """The command line of an end-to-end test: the program's path as its one
    argument, exit 77 when a tool is missing (TOOLS, or what also_missing()
    names), then each (desktop, check) of runs in turn on a fresh desktop,
    desktop(program), started, checked and stopped. On a failure it reports the
    program's windows and output and stops there. Returns the exit status."""
    if len(sys.argv) != 2:
        print(usage)
        return 2
    missing = [tool for tool in TOOLS if shutil.which(tool) is None] + also_missing()
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        return SKIP
    began = time.monotonic()
    for make_desktop, check in runs:
        desktop = make_desktop(sys.argv[1])
        try:
            desktop.start()
            check(desktop)
        except (Failure, subprocess.TimeoutExpired) as failure:
            print(f"FAILED: {failure}")
            if desktop.program is not None:
                try:
                    print("the program's windows, bottom to top (left,top,width,height):\n" +
                          desktop.layout())
                except Failure as gone:
                    print(gone)
                output = desktop.program_output()
                if output:
                    print("program output:\n" + output)
            return 1
        finally:
            desktop.stop()
    print(f"passed in {time.monotonic() - began:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
