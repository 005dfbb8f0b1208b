#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader finds in the real program, and the keyboard alone.

The program runs on a virtual X display under openbox with the accessibility
bus, as on a desktop with a screen reader; the test walks it through AT-SPI
(Debian's python3-pyatspi) as a screen reader does: the picture commands and
colour swatches must be named push buttons with a press action, the arrow keys
focus a swatch, the insert menu lists every command with its key, Esc closes a
dialog without touching the post, Enter in the quote box inserts and closes,
after the copy button the post box has the focus again, and the goodbye box's
button says "موافق". The post is read back through the post box's accessible text,
which also tells where each character is drawn: in an Arabic line, tags and
smiley codes read left to right as typed, each line starts at its own edge, and
the arrow keys move the caret across the screen.

usage: atspi.py path/to/qirtaz      (exit 77: the tools are not installed)
"""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from drive import Desktop, Failure, MAIN, Qirtaz, main, wait  # noqa: E402

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

POST_BOX = "اكتب هنا الموضوع"
COLOURS = "قائمة الالوان"
QUOTE = "ادراج اقتباس"
IMAGE = "ادراج صورة"

# What the main window's picture commands and quote box are called, each a push
# button with a press action and a key.
COMMANDS = [
    "اضغط هنا لأدراج مقطع", "اضغط هنا لإدارج صوت", "اضغط هنا لإدراج رابط",
    "اضغط هنا لإدراج صورة", "اضغط هنا لإدراج صفحة", "أضغط هنا لكتابة نص على شكل مقتبس",
    "إدراج اقتباس بالنافذة الثانية", "اضغط هنا لإدراج فلاش بالموضوع", "إدراج لون", "امسح النص",
    "وجه مبتسم :(", "وجه ضاحك :D", "وجه حائر :confused:", "غاضب", "وجه يخرج لسانه :p",
    "وجه غامز ;)", "حزين", "مندهش", "خروج", "أنسخ النص ", "حجم الخط",
]
SWATCH_COLOURS = ["أحمر", "أخضر داكن", "كحلي", "أبيض", "أصفر", "بنفسجي", "برتقالي"]


class AccessibleDesktop(Desktop):
    """The desktop of drive.py with a session bus and the accessibility bus."""

    def start(self):
        done = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                               "--print-pid=1"], capture_output=True, timeout=20, check=True)
        address, pid = done.stdout.decode().split("\n")[:2]
        self.bus_pid = int(pid)
        for env in (self.env, os.environ):
            env["DBUS_SESSION_BUS_ADDRESS"] = address.strip()
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["NO_AT_BRIDGE"] = "0"
        self.started.append(subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=self.env,
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait(self.bus_ready, "the accessibility bus")
        super().start()
        os.environ["DISPLAY"] = self.env["DISPLAY"]

    def bus_ready(self):
        asked = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                                "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=self.env,
                               capture_output=True, timeout=20)
        return asked.returncode == 0 and b"unix:" in asked.stdout

    def stop(self):
        super().stop()
        try:
            os.kill(self.bus_pid, 15)
        except (AttributeError, ProcessLookupError):
            pass


class Reader:
    """The program as a screen reader sees it."""

    def __init__(self, desktop):
        import pyatspi
        self.at = pyatspi
        self.d = desktop
        self.pid = desktop.program.pid
        self.main = wait(lambda: self.window(MAIN), "the main window on the accessibility bus", 30)

    def app(self):
        for app in self.at.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == self.pid:
                    return app
            except Exception:
                continue
        return None

    def window(self, name):
        app = self.app()
        if app is None:
            return None
        for window in app:
            if window is not None and window.name == name and \
                    window.getState().contains(self.at.STATE_SHOWING):
                return window
        return None

    def find(self, root, name, role=None):
        found = self.at.utils.findDescendant(
            root, lambda a: a is not None and a.name == name and
            (role is None or a.getRoleName() == role))
        return found

    def button(self, root, name):
        found = self.find(root, name)
        if found is None:
            raise Failure(f"no control named {name!r}")
        if found.getRoleName() != "push button":
            raise Failure(f"{name!r} is a {found.getRoleName()!r}, not a push button")
        action = found.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if not any(n.lower() in ("press", "click") for n in names):
            raise Failure(f"{name!r} has no press action: {names}")
        return found

    def press(self, control):
        action = control.queryAction()
        for i in range(action.nActions):
            if action.getName(i).lower() in ("press", "click"):
                action.doAction(i)
                return
        raise Failure(f"{control.name!r} cannot be pressed")

    def key_of(self, control):
        action = control.queryAction()
        return [action.getKeyBinding(i) for i in range(action.nActions) if action.getKeyBinding(i)]

    def post_box(self):
        box = self.find(self.main, POST_BOX, "text")
        if box is None:
            raise Failure("the post box has no name or is no text")
        return box

    def post(self):
        text = self.post_box().queryText()
        return text.getText(0, text.characterCount)


def scenario(d):
    r = Reader(d)
    role = r.main.getRoleName()
    if role != "frame":
        raise Failure(f"the main window is announced as {role!r}, not as a window")

    # Every picture command and the quote box: a named button with a press action and a key.
    for name in COMMANDS:
        button = r.button(r.main, name)
        if not r.key_of(button):
            raise Failure(f"{name!r} tells no key")
    print(f"ok 1 - the main window's {len(COMMANDS)} commands are named buttons with keys",
          flush=True)
    mixed(d, r)  # before the grin, which right-aligns the box
    emoji(d, r)
    pointing(d, r)

    r.press(r.button(r.main, "وجه ضاحك :D"))
    wait(lambda: r.post() == ":D", "the grin pressed through AT-SPI", describe=r.post)
    print("ok 2 - a smiley pressed by the screen reader appends its code", flush=True)

    # The colour list: a dialog whose fourteen swatches say their colour and block.
    r.press(r.button(r.main, "إدراج لون"))
    colours = wait(lambda: r.window(COLOURS), "the colour list")
    if colours.getRoleName() != "dialog":
        raise Failure(f"the colour list is announced as {colours.getRoleName()!r}")
    for colour in SWATCH_COLOURS:
        for block in ("لتلوين النص بالكامل", "لتلوين كلمة ما"):
            r.button(colours, f"{colour}، {block}")
    d.in_front(d.window(COLOURS), COLOURS)
    d.keys("Left", "Left", "Left", "Left")
    red = r.button(colours, "أحمر، لتلوين النص بالكامل")
    wait(lambda: red.getState().contains(r.at.STATE_FOCUSED), "the red swatch to be focused")
    d.keys("Escape")
    wait(lambda: r.window(COLOURS) is None, "Esc to close the colour list")
    if r.post() != ":D":
        raise Failure(f"Esc in the colour list changed the post to {r.post()!r}")
    print("ok 3 - the swatches are named buttons, reached by the arrows; Esc closes the list, "
          "post untouched", flush=True)

    # The insert menu: every command of the window, each with its key.
    title = r.find(r.main, "إدراج", "menu item")
    items = [item for item in (title[0] if title else []) if item.getRoleName() == "menu item"]
    keys = {item.name: r.key_of(item) for item in items}
    if len(items) != 26 or not all(keys.values()) or "Ctrl+Shift+C" not in keys.get("لون [color]…", []):
        raise Failure(f"the insert menu holds {keys}")
    print(f"ok - the insert menu lists {len(items)} commands, each with its key", flush=True)

    # Esc in a dialog whose box the user typed in, opened by its key.
    d.in_front(d.window(MAIN), MAIN)
    d.keys("ctrl+shift+i")
    image = d.window(IMAGE)
    d.in_front(image, IMAGE)
    d.type("zzz")
    d.keys("Escape")
    d.gone(image, IMAGE)
    if r.post() != ":D":
        raise Failure(f"Esc in the image dialog changed the post to {r.post()!r}")
    print("ok 4 - the image dialog's key opens it; Esc closes it without touching the post",
          flush=True)

    # Enter in the quote box inserts and closes.
    r.press(r.button(r.main, "أضغط هنا لكتابة نص على شكل مقتبس"))
    quote = d.window(QUOTE)
    d.in_front(quote, QUOTE)
    d.type("abc")
    d.keys("Return")
    d.gone(quote, QUOTE)
    wait(lambda: r.post() == ":D[QUOTE]abc[/QUOTE]", "Enter to insert the quote", describe=r.post)
    print("ok 5 - Enter in the quote box inserts and closes the dialog", flush=True)

    # The copy button, clicked with the mouse, gives the focus back to the post box.
    main = d.window(MAIN)
    d.bring_forward(main, MAIN)
    menu_bar = d.size(main)[1] - 388
    d.click(main, MAIN, (2040, 5040, 1095, 495), "copy button", menu_bar)
    wait(lambda: r.post_box().getState().contains(r.at.STATE_FOCUSED),
         "the post box to have the focus after Copy")
    wait(lambda: d.clipboard() == ":D[QUOTE]abc[/QUOTE]", "the post on the clipboard",
         describe=d.clipboard)
    print("ok 6 - after Copy the post is on the clipboard and the post box has the focus",
          flush=True)

    # The goodbye box speaks Arabic.
    d.keys("ctrl+q")
    box = wait(lambda: next((w for w in r.app() or [] if w is not None and
                             w.getState().contains(r.at.STATE_SHOWING) and
                             r.find(w, "موافق", "push button") is not None), None),
               "the goodbye box with its button \"موافق\"")
    r.press(r.find(box, "موافق", "push button"))
    code = d.exit_code(timeout=10)
    if code != 0:
        raise Failure(f"the program ended with status {code} after the goodbye box")
    print("ok 7 - the goodbye box's button is \"موافق\"; the program ends", flush=True)


def mixed(d, r):
    """An Arabic line holding tags and a smiley, then an English one: where the
    text interface says each character is drawn, and the caret moved by keys."""
    first, second = "[color=red]مرحبا[/color] :D بكم في منتدانا", "Hello [b]world[/b] :("
    post = first + "\n" + second
    app = Qirtaz(d)
    app.on_main("Text1")
    d.own_clipboard(post)
    d.keys("ctrl+a", "ctrl+v")
    wait(lambda: r.post() == post, "the pasted post in the text interface", describe=r.post)
    text = r.post_box().queryText()

    def x(offset):
        return text.getCharacterExtents(offset, r.at.DESKTOP_COORDS)[0]

    for run, step in (("[color=red]", 1), ("[/color]", 1), (":D", 1), ("[b]", 1), ("[/b]", 1),
                      (":(", 1), ("مرحبا", -1), ("بكم", -1), ("في", -1), ("منتدانا", -1)):
        at = post.index(run)
        xs = [x(at + i) for i in range(len(run))]
        if any((b - a) * step <= 0 for a, b in zip(xs, xs[1:])):
            raise Failure(f"{run!r} at {at} is drawn at x {xs}, not "
                          f"{'left to right' if step > 0 else 'right to left'}")
    left, _, width, _ = r.post_box().queryComponent().getExtents(r.at.DESKTOP_COORDS)
    ends = [sum(text.getCharacterExtents(i, r.at.DESKTOP_COORDS)[::2]) for i in range(len(first))]
    starts = x(len(first) + 1) - left
    if not (max(ends) > left + width - 40 and min(ends) > left + width / 3 and starts < 12):
        raise Failure(f"the Arabic line ends at x {max(ends)}, 'Hello' starts {starts} px "
                      f"into the box at x {left}, {width} wide")
    print("ok - tags and smileys read left to right inside the Arabic line, its words right "
          "to left; each line starts at its own edge", flush=True)

    for keys, offset in ((("ctrl+Home", "End"), len(first)), (("Right",), len(first) - 1),
                         (("ctrl+End",), len(post)), (("Left",), len(post) - 1)):
        d.keys(*keys)
        wait(lambda: text.caretOffset == offset, f"the caret at {offset} after {keys}",
             describe=lambda: text.caretOffset)
    got = app.post()
    if got != post:
        raise Failure(f"the copy button gave\n    {got!r}\n  expected\n    {post!r}")
    print("ok - End, Right, Ctrl+End and Left move the caret as drawn; Copy gives the post "
          "back as pasted", flush=True)
    d.keys("ctrl+a", "Delete")
    wait(lambda: r.post() == "", "the post box emptied", describe=r.post)


def emoji(d, r):
    """A line holding an emoji: AT-SPI counts characters, the emoji one."""
    line = "مرحبا 😀 [b]عالم[/b] :D"
    d.own_clipboard(line)
    d.keys("ctrl+a", "ctrl+v")
    wait(lambda: r.post() == line, "the pasted emoji line", describe=r.post)
    text, at = r.post_box().queryText(), line.index("😀")
    if text.characterCount != len(line):
        raise Failure(f"{len(line)} characters are counted as {text.characterCount}")
    for i, c in enumerate(line):
        read = (text.getText(i, i + 1), tuple(text.getTextAtOffset(i, r.at.TEXT_BOUNDARY_CHAR)))
        # Qt's bridge gives the first byte of the character's UTF-8, sign-extended.
        byte = c.encode()[0]
        character = text.getCharacterAtOffset(i) & 0xFFFFFFFF
        if read != (c, (c, i, i + 1)) or \
                character not in (ord(c), (byte - 256 * (byte > 127)) & 0xFFFFFFFF):
            raise Failure(f"offset {i} reads {read}, character {character}, not {c!r}")
    boxes = [text.getCharacterExtents(i, r.at.DESKTOP_COORDS) for i in range(len(line))]
    xs = [boxes[i][0] for i in (at - 1, at, at + 1)]
    under = [text.getOffsetAtPoint(x + w // 2, y + h // 2, r.at.DESKTOP_COORDS)
             for x, y, w, h in boxes]
    if under != list(range(len(line))):
        raise Failure(f"the characters under their boxes' middles are {under}")
    text.setSelection(0, at + 2, at + 5)
    selected = text.getSelection(0)
    if not xs[0] > xs[1] > xs[2] or text.getText(*selected) != "[b]" or \
            text.caretOffset != at + 5:
        raise Failure(f"around the emoji: x {xs}, selection {selected}, caret {text.caretOffset}")
    print("ok - after an emoji the offsets, text, characters, boxes, the character at a point, "
          "caret and selection count characters", flush=True)
    d.keys("ctrl+a", "Delete")
    wait(lambda: r.post() == "", "the post box emptied", describe=r.post)


def pointing(d, r):
    """Two mixed lines from public boards, as a new writer uses them: a click on
    the left and on the right edge of each letter lands on that side of it;
    Ctrl+Left from each line's right end walks to its left end and never back;
    a double click selects an Arabic word; Shift+Left across a
    closing tag and Ctrl+B leave every tag whole; Ctrl+Z, then Ctrl+Y."""
    lines = ["عنوان الانترنت: [url]http://url[/url] أو [url=http://url]نص الرابط[/url] :D",
             "[B][U]هذا هو الموقع[/U][/B]: [SIZE=5][URL='https://developers.notion.com']"
             "devs.notion[/URL][/SIZE]"]
    post = "\n".join(lines)
    d.own_clipboard(post)
    d.keys("ctrl+a", "ctrl+v")
    wait(lambda: r.post() == post, "the pasted lines", describe=r.post)
    text = r.post_box().queryText()
    markup = [m.span() for m in re.finditer(r"\[/?[A-Za-z][^][]*\]|:D|http://url(?=\[)", post)]
    in_markup = [any(a <= i < b for a, b in markup) for i in range(len(post))]
    arabic = [0x600 <= ord(c) <= 0x6ff and c.isalpha() for c in post]
    left, top, width, height = r.post_box().queryComponent().getExtents(r.at.DESKTOP_COORDS)

    def box(i):
        return text.getCharacterExtents(i, r.at.DESKTOP_COORDS)

    def click(x, y, count=1):
        d.x("xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(count), "1")

    targets = []
    for i, c in enumerate(post):
        x, y, w, h = box(i)
        # Letters of words and markup in view (the scroll bars take 20 px).
        if w >= 5 and (in_markup[i] or arabic[i]) and x >= left + 2 and \
                x + w <= left + width - 22 and y + h <= top + height - 22:
            targets += [(i, "left"), (i, "right")]
    # Taken from the two halves in turn, so that no two clicks in a row are
    # near enough to make a double click.
    half = (len(targets) + 1) // 2
    wrong, tried = [], len(targets) // 2
    for i, side in (t for pair in zip(targets[:half], targets[half:] + [None]) for t in pair if t):
        x, y, w, h = box(i)
        left_to_right = in_markup[i] and not arabic[i]
        expected = {i if (side == "left") == left_to_right else i + 1}
        # At an edge of a piece of markup inside an Arabic line, the position
        # beside it is drawn at the markup's other edge: the one drawn here is
        # the markup's other end.
        run = next(((a, b) for a, b in markup if a <= i < b), None)
        if run and expected & set(run):
            expected |= set(run)
        click(x + 1 if side == "left" else x + w - 2, y + h // 2)
        try:
            wait(lambda: text.caretOffset in expected, "", timeout=2, patient=False)
        except Failure:
            wrong.append((i, post[i], side, text.caretOffset))
    if wrong or tried < 50:
        raise Failure(f"of {tried} letters, clicks put the caret on the wrong side: {wrong}")
    print("ok - a click on the left or the right edge of each letter of a word or of markup "
          "puts the caret on that side of it", flush=True)

    # Where each press leaves the caret is checked against where it is drawn in
    # tst_reading, on these same lines; here the real keys walk each line.
    start = 0
    for line in lines:
        text.setCaretOffset(start)  # each line starts at the right edge
        wait(lambda: text.caretOffset == start, "the caret at the line's start")
        seen = [start]
        for _ in range(len(re.findall(r"\w+|\[[^]]*\]", line)) + 2):
            d.keys("ctrl+Left")
            wait(lambda: text.caretOffset != seen[-1], "Ctrl+Left to move the caret")
            seen.append(text.caretOffset)
            if seen[-1] == start + len(line):
                break
        # Both lines read right to left: their left end is where they end.
        if len(set(seen)) != len(seen) or seen[-1] != start + len(line):
            raise Failure(f"Ctrl+Left across {line!r} put the caret at {seen}")
        start += len(line) + 1
    print("ok - Ctrl+Left walks each line from its right end to its left end, never back",
          flush=True)

    text.setCaretOffset(0)
    word = post.index("الانترنت")
    wait(lambda: left < box(word + 3)[0] < left + width - 22, "the first line in view")
    x, y, w, h = box(word + 3)
    click(x + w // 2, y + h // 2, count=2)
    wait(lambda: text.getText(*text.getSelection(0)) == "الانترنت", "the double click's word",
         describe=lambda: text.getText(*text.getSelection(0)))
    print("ok - a double click selects the Arabic word under the pointer", flush=True)

    text.setCaretOffset(post.index("[/U]"))
    d.keys("shift+Left", "shift+Left", "shift+Left", "ctrl+b")
    tags = sorted(re.findall(r"\[/?[A-Za-z][^][]*\]", post) + ["[b]", "[/b]"])
    wait(lambda: sorted(re.findall(r"\[/?[A-Za-z][^][]*\]", r.post())) == tags,
         "every tag whole after the bold wrap", describe=r.post)
    bold = r.post()
    d.keys("ctrl+z")
    wait(lambda: r.post() == post, "Ctrl+Z to undo the wrap", describe=r.post)
    d.keys("ctrl+y")
    wait(lambda: r.post() == bold, "Ctrl+Y to redo it", describe=r.post)
    print("ok - Shift+Left across a closing tag and Ctrl+B leave every tag whole; Ctrl+Y "
          "redoes", flush=True)
    d.keys("ctrl+a", "Delete")
    wait(lambda: r.post() == "", "the post box emptied", describe=r.post)


def missing_here():
    """What this walk needs beyond the X tools, where it is missing."""
    missing = [tool for tool in ("dbus-daemon", "dbus-send") if shutil.which(tool) is None]
    if not os.access(BUS_LAUNCHER, os.X_OK):
        missing.append(BUS_LAUNCHER)
    # Imported for real only once the buses are up: a first import would look for them.
    if subprocess.run([sys.executable, "-c", "import pyatspi"], capture_output=True).returncode:
        missing.append("python3-pyatspi")
    return missing


if __name__ == "__main__":
    sys.exit(main(runs=[(AccessibleDesktop, scenario)], usage=__doc__, also_missing=missing_here))
