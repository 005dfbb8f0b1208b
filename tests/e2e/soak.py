#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The post survives what a writer does over a long sitting, on a real X display.

An uncopied post is asked about before Ctrl+Q or the main window's close box
throws it away, and Esc keeps it. The preview is left idle for longer than the
thread pool keeps its idle workers (30 s), then used: select all, a click, the
wheel and a resize; the program must still run and give the post back exactly.
Once the post is copied, Ctrl+Q says only goodbye.

How the preview is used, in what order, where and how hard, is chosen at
random from a seed printed at the start; the same seed plays the same sitting
again. The sitting lasts as long as asked: after the first idle stretch the
preview is used and left idle again, at random, until the time is up.

usage: soak.py path/to/qirtaz      (exit 77: the X tools are not installed)
  QIRTAZ_SEED=N           the seed (by default a new one each run)
  QIRTAZ_SOAK_SECONDS=S   how long the preview is kept, idle or used (default 40)
"""
import os
import random
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import drive  # noqa: E402  the desktop the end-to-end test drives
from drive import Failure, wait  # noqa: E402

POST = "مرحبا [b]بكم[/b] :D\nHello world"
# Longer than the thread pool keeps an idle worker (30 s).
IDLE_S = 40
SEED = int(os.environ.get("QIRTAZ_SEED") or random.SystemRandom().randrange(2**32))
SECONDS = float(os.environ.get("QIRTAZ_SOAK_SECONDS") or IDLE_S)


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


def use_preview(d, preview, chance, size):
    """Select all, a click, the wheel and a resize, in an order, at places and
    sizes chosen by chance; the sizes around the size it opened at."""
    width, height = d.size(preview)
    def click():
        d.x("xdotool", "mousemove", "--window", preview,
            str(chance.randrange(5, max(6, width - 5))), str(chance.randrange(5, max(6, height - 5))))
        d.x("xdotool", "click", "1")

    def wheel():
        for _ in range(chance.randrange(1, 6)):
            d.x("xdotool", "click", chance.choice(["4", "5"]))

    def resize():
        d.x("xdotool", "windowsize", preview, str(size[0] - chance.randrange(-40, 80)),
            str(size[1] - chance.randrange(-40, 60)))

    actions = [lambda: d.keys("ctrl+a"), click, wheel, resize]
    chance.shuffle(actions)
    for action in actions:
        action()


def soak(d):
    app = drive.Qirtaz(d)
    app.on_main("Text1")
    d.own_clipboard(POST)
    app.paste("ctrl+v")
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
    chance = random.Random(SEED)
    began = time.monotonic()
    size = d.size(preview)
    time.sleep(min(IDLE_S, SECONDS))
    idle = used = 0
    while True:
        d.bring_forward(preview, drive.PREVIEW)
        use_preview(d, preview, chance, size)
        used += 1
        if not d.alive():
            raise Failure(f"the program ended with status {d.program.returncode} after the "
                          f"preview was used {used} times (seed {SEED})")
        left = SECONDS - (time.monotonic() - began)
        if left <= 0:
            break
        # Now and then idle past the workers' expiry again, else a short pause.
        pause = IDLE_S if left > IDLE_S and chance.random() < 0.2 else chance.uniform(0, 2)
        idle += pause >= IDLE_S
        time.sleep(min(pause, left))
    d.keys("ctrl+a", "ctrl+c")
    time.sleep(1)
    if not d.alive():
        raise Failure(f"the program ended with status {d.program.returncode} after the idle "
                      f"preview (seed {SEED})")
    if app.post() != POST:
        raise Failure(f"the copy button no longer gives the post back exactly (seed {SEED})")
    print(f"ok - the preview idle for {IDLE_S} s (and {idle} more such stretches), used "
          f"{used} times: selected, clicked, scrolled and resized", flush=True)

    before = set(d.windows())
    d.keys("ctrl+q")
    box = new_window(d, before, "the goodbye box")
    d.keys("Return")
    code = d.exit_code(timeout=10)
    if code != 0:
        raise Failure(f"the program did not end cleanly after the goodbye box: {code}")
    print("ok - once copied, Ctrl+Q says only goodbye, and the program ends", flush=True)


if __name__ == "__main__":
    print(f"seed {SEED}, {SECONDS:g} s: QIRTAZ_SEED={SEED} QIRTAZ_SOAK_SECONDS={SECONDS:g} "
          "plays this sitting again", flush=True)
    sys.exit(drive.main(runs=[(drive.Desktop, soak)], usage=__doc__))
