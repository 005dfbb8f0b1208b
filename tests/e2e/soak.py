#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The post survives what a writer does over a long sitting, on a real X display.

An uncopied post is asked about before Ctrl+Q or the main window's close box
throws it away, and Esc keeps it. The preview is left idle for longer than the
thread pool keeps its idle workers (30 s), then used: select all, a click, the
wheel and a resize; the program must still run and give the post back exactly.
Once the post is copied, Ctrl+Q says only goodbye.

usage: soak.py path/to/qirtaz      (exit 77: the X tools are not installed)
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import drive  # noqa: E402  the desktop the end-to-end test drives
from drive import Failure, wait  # noqa: E402

POST = "مرحبا [b]بكم[/b] :D\nHello world"
IDLE_S = 40


def new_window(d, before, what):
    box = wait(lambda: next(iter(set(d.windows()) - before), None), what, describe=d.windows)
    d.in_front(box, what)
    if not d.is_modal(box):
        raise Failure(f"{what} is not modal")
    return box


def asks_and_stays(d, app, *keys):
    """keys with an uncopied post: a question, and Esc keeps window and post."""
    before = set(d.windows())
    d.keys(*keys)
    box = new_window(d, before, f"the question after {' '.join(keys)}")
    d.keys("Escape")
    d.gone(box, "the question")
    if app.main not in d.windows():
        raise Failure(f"{' '.join(keys)} then Esc closed the main window")


def soak(d):
    app = drive.Qirtaz(d)
    app.on_main("Text1")
    d.own_clipboard(POST)
    d.keys("ctrl+v")
    d.own_clipboard("something else")
    app.on_main("Text1")
    asks_and_stays(d, app, "ctrl+q")
    asks_and_stays(d, app, "alt+F4")
    if app.post() != POST:
        raise Failure("the post changed after the questions")
    print("ok - Ctrl+Q and the close box ask first about an uncopied post; Esc keeps it", flush=True)

    app.on_main("Text1")
    d.keys("F5")
    preview = d.window(drive.PREVIEW)
    time.sleep(IDLE_S)
    d.bring_forward(preview, drive.PREVIEW)
    width, height = d.size(preview)
    d.keys("ctrl+a")
    d.x("xdotool", "mousemove", "--window", preview, "40", "12")
    d.x("xdotool", "click", "1")
    d.x("xdotool", "click", "5")
    d.x("xdotool", "click", "4")
    d.x("xdotool", "windowsize", preview, str(width - 60), str(height - 40))
    d.keys("ctrl+a", "ctrl+c")
    time.sleep(1)
    if not d.alive():
        raise Failure(f"the program ended with status {d.program.returncode} after the idle preview")
    if app.post() != POST:
        raise Failure("the copy button no longer gives the post back exactly")
    print(f"ok - the preview idle for {IDLE_S} s, then selected, clicked, scrolled and resized",
          flush=True)

    before = set(d.windows())
    d.keys("ctrl+q")
    box = new_window(d, before, "the goodbye box")
    d.keys("Return")
    code = d.exit_code(timeout=10)
    if code != 0:
        raise Failure(f"the program did not end cleanly after the goodbye box: {code}")
    print("ok - once copied, Ctrl+Q says only goodbye, and the program ends", flush=True)


if __name__ == "__main__":
    sys.exit(drive.main(runs=[(drive.Desktop, soak)], usage=__doc__))
