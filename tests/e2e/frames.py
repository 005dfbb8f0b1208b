#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's windows on a real X display with a window manager: where they
open, which frame buttons they offer, and how sharp their pictures are.

At scale 1: the main window opens at its place; after the user moves it, a
dialog opens at its place relative to it; the main window alone can be
maximized (it grows around its post box), no dialog can; the
pictures on screen are their files' pixels. At QT_SCALE_FACTOR=2: the client
area is twice its size and the smooth pictures (backgrounds, JPEG pictures,
the play bubble) are not their files blown up into 2 x 2 blocks.

usage: frames.py path/to/qirtaz      (exit 77: the X tools or Pillow are missing)
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import drive  # noqa: E402  the desktop the end-to-end test drives

try:
    from PIL import Image, ImageGrab
except ImportError:
    Image = None

PICTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "screens",
                        "pictures")

MAIN_PLACE = (2460 // 15, 1950 // 15)  # the main window's client area in the layout sheet
IMAGE_PLACE = (3900 // 15, 4245 // 15)  # the image dialog's
MAIN_CLIENT = (501, 388)

# Pictures of the main window: file, left and top of the picture in twips, border.
ON_MAIN = [
    ("picture-frame.gif", 3360, 480, 2), ("web-page.gif", 4320, 480, 2),
    ("chain-link.gif", 2520, 480, 2), ("loudspeaker.gif", 1800, 480, 2),
    ("play-bubble.gif", 960, 480, 2), ("flash-burst.gif", 6240, 480, 2),
    ("grin.gif", 7200, 1440, 0), ("angry.gif", 6720, 2280, 0),
    ("smiling.gif", 6720, 1440, 0), ("sad.gif", 6720, 3600, 0),
    ("colour-letters.jpg", 5760, 5040, 0), ("bin.ico", 6720, 5040, 0),
]
# Drawn smooth rather than on their pixel grid: at twice the size their
# drawing is no grid of 2 x 2 blocks.
SMOOTH = {"play-bubble.gif", "colour-letters.jpg"}


Failure = drive.Failure  # what drive.main reports as a failure


def geometry(d, wid):
    info = d.x("xwininfo", "-id", wid)
    return tuple(int(re.search(p, info).group(1)) for p in (
        r"Absolute upper-left X:\s+(-?\d+)", r"Absolute upper-left Y:\s+(-?\d+)",
        r"Width: (\d+)", r"Height: (\d+)"))


def menu_bar(d, wid, scale):
    return geometry(d, wid)[3] - MAIN_CLIENT[1] * scale


def no_maximize(d, wid, caption):
    actions = d.x("xprop", "-id", wid, "_NET_WM_ALLOWED_ACTIONS")
    if "MAXIMIZE" in actions:
        raise Failure(f"{caption!r} can be maximized: {actions.strip()}")


def grab(d, left, top, width, height):
    return ImageGrab.grab(bbox=(left, top, left + width, top + height), xdisplay=d.env["DISPLAY"])


def blocky_share(image):
    """The share of aligned 2 x 2 blocks of one colour."""
    width, height = image.size
    pixels = image.load()
    blocks = same = 0
    for y in range(0, height - 1, 2):
        for x in range(0, width - 1, 2):
            blocks += 1
            same += pixels[x, y] == pixels[x + 1, y] == pixels[x, y + 1] == pixels[x + 1, y + 1]
    return same / blocks


def at_scale_1(d):
    main = d.window(drive.MAIN, timeout=30)
    left, top, width, height = geometry(d, main)
    bar = menu_bar(d, main, 1)
    if (left, top + bar) != MAIN_PLACE:
        raise Failure(f"the main window's client area opened at {left},{top + bar}, not {MAIN_PLACE}")
    print("ok - the main window opens at its place", flush=True)
    if "MAXIMIZE" not in d.x("xprop", "-id", main, "_NET_WM_ALLOWED_ACTIONS"):
        raise Failure("the main window cannot be maximized")

    # Its pictures, as the display shows them, are their files' pixels (once
    # the window has been painted: the first paint may take a moment).
    def pictures_fault():
        client = grab(d, left, top + bar, *MAIN_CLIENT).convert("RGB")
        for name, x, y, border in ON_MAIN:
            picture = Image.open(os.path.join(PICTURES, name)).convert("RGBA")
            ox, oy = x // 15 + border, y // 15 + border
            for py in range(picture.height):
                for px in range(picture.width):
                    r, g, b, a = picture.getpixel((px, py))
                    if a < 255 or not (0 <= ox + px < MAIN_CLIENT[0] and 0 <= oy + py < MAIN_CLIENT[1]):
                        continue
                    shown = client.getpixel((ox + px, oy + py))
                    # A JPEG decoder may round a sample differently; palettes are exact.
                    slack = 2 if name.endswith(".jpg") else 0
                    if max(abs(s - f) for s, f in zip(shown, (r, g, b))) > slack:
                        return f"{name} at {px},{py}: shown {shown}, file {(r, g, b)}"
        return None
    drive.settled(pictures_fault, "the pictures to show their files' pixels")
    print("ok - at scale 1 the main window's pictures are their files' pixels", flush=True)

    # The user moves the main window, then opens the image dialog.
    d.x("xdotool", "windowmove", main, "600", "420")
    drive.wait(lambda: geometry(d, main)[:2] == (600, 420), "the main window to move")
    d.bring_forward(main, drive.MAIN)
    x, y, w, h = drive.ON_MAIN["Image1"]
    d.click(main, drive.MAIN, (x, y, w, h), "the image dialog's opener", bar)
    dialog = d.window(drive.IMAGE)
    expected = (600 + IMAGE_PLACE[0] - MAIN_PLACE[0], 420 + bar + IMAGE_PLACE[1] - MAIN_PLACE[1])
    got = geometry(d, dialog)[:2]
    if got != expected:
        raise Failure(f"the image dialog opened at {got}, not {expected} beside the moved main window")
    no_maximize(d, dialog, drive.IMAGE)
    if "WM_TRANSIENT_FOR" in d.x("xprop", "-id", dialog, "WM_TRANSIENT_FOR") and \
            "not found" not in d.x("xprop", "-id", dialog, "WM_TRANSIENT_FOR"):
        raise Failure("the image dialog has an owner window")
    print("ok - after the main window is moved, the image dialog opens at its place beside it;"
          " it cannot be maximized, the main window can", flush=True)


def at_scale_2(d):
    main = d.window(drive.MAIN, timeout=30)
    left, top, width, height = geometry(d, main)
    bar = height - 2 * MAIN_CLIENT[1]
    if width != 2 * MAIN_CLIENT[0] or not 0 < bar < 120:
        raise Failure(f"at scale 2 the main window is {width} x {height}, not "
                      f"{2 * MAIN_CLIENT[0]} wide with a client area {2 * MAIN_CLIENT[1]} high")
    print(f"ok - at scale 2 the main window's client area is {width} x {height - bar}", flush=True)
    # The background below the post box: the glow round the disc.
    regions = {"the background": (20, 290, 480, 330)}
    for name, x, y, border in ON_MAIN:
        if name in SMOOTH:
            size = Image.open(os.path.join(PICTURES, name)).size
            regions[name] = (x // 15 + border, y // 15 + border,
                             x // 15 + border + size[0], y // 15 + border + size[1])
    for what, (l, t, r, b) in regions.items():
        def share():
            part = grab(d, left + 2 * l, top + bar + 2 * t, 2 * (r - l), 2 * (b - t))
            return blocky_share(part.convert("RGB"))
        def fault():
            found = share()
            return None if found <= 0.9 else f"{what} is {found:.0%} blocks of 2 x 2 pixels"
        drive.settled(fault, f"{what} to be drawn at the display's pixels")
        print(f"ok - at scale 2 {what} is drawn at the display's pixels "
              f"({share():.0%} one-colour 2 x 2 blocks)", flush=True)


def scaled(factor):
    """A desktop on which the program runs at that QT_SCALE_FACTOR."""
    def make(program):
        d = drive.Desktop(program)
        d.env["QT_SCALE_FACTOR"] = str(factor)
        return d
    return make


def pillow_missing():
    return [] if Image is not None else ["python3-pil"]


if __name__ == "__main__":
    sys.exit(drive.main(runs=[(drive.Desktop, at_scale_1), (scaled(2), at_scale_2)], usage=__doc__,
                        also_missing=pillow_missing))
