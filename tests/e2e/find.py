#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Find and replace on a real X display, from the keyboard alone.

Ctrl+F opens "بحث واستبدال" with the keyboard in its box; "محمد" typed there
finds "مُحَمَّد" with its vowels, and, with the text only searched, not the
"محمد" of a link's address: Esc goes back to the post with the match
selected, which Ctrl+C copies out exactly. F3 in the post stays on that one
match; with everything searched it moves on to the address. Ctrl+H replaces
"احمد" by "أحمد" everywhere, every form of alef, in one step: one Ctrl+Z gives
the post back exactly.

usage: find.py path/to/qirtaz      (exit 77: the X tools are not installed)
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import drive  # noqa: E402  the desktop the end-to-end test drives

Failure = drive.Failure
FIND = "بحث واستبدال"

POST = ("مُحَمَّد كتب [url=http://محمد.com]الرابط[/url] :D\n"
        "قال احمد لإحمد: آحمد [b]واحمد[/b] hello")
REPLACED = ("مُحَمَّد كتب [url=http://محمد.com]الرابط[/url] :D\n"
            "قال أحمد لأحمد: أحمد [b]وأحمد[/b] hello")


def check(d):
    app = drive.Qirtaz(d)

    def selection():
        """What the post box has selected, as Ctrl+C puts it on the clipboard."""
        app.copies += 1
        marker = f"qirtaz find marker {app.copies}"
        owner = d.own_clipboard(marker)
        d.keys("ctrl+c")
        drive.wait(lambda: owner.poll() is not None, "Ctrl+C to take the clipboard")
        return drive.wait(lambda: d.clipboard(), "the copied selection")

    def expect(got, wanted, what):
        if got != wanted:
            raise Failure(f"{what}: got {got!r}, expected {wanted!r}")

    def open_find(key):
        d.keys(key)
        wid = d.window(FIND)
        d.in_front(wid, FIND)
        return wid

    def close(wid):
        d.keys("Escape")
        d.gone(wid, FIND)
        d.in_front(app.main, drive.MAIN)

    # Until the box shows the paste, the program may not have read the
    # clipboard yet: the marker of post() must not be put there before.
    d.own_clipboard(POST)
    app.on_main("Text1")
    d.in_front(app.main, drive.MAIN)
    app.paste("ctrl+v")
    expect(app.post(), POST, "the pasted post")

    app.on_main("Text1")
    wid = open_find("ctrl+f")
    d.type("محمد")
    close(wid)
    expect(selection(), "مُحَمَّد", "the match Esc leaves selected")
    d.keys("F3")
    expect(selection(), "مُحَمَّد", "F3 with the one match in the text")
    print("ok 1 - Ctrl+F, محمد: with the text only, one match, the first, vowels and all",
          flush=True)

    # Everything: the choice is the fifth stop of Tab from the box.
    wid = open_find("ctrl+f")
    d.keys("Tab", "Tab", "Tab", "Tab", "space", "F3")
    close(wid)
    expect(selection(), "محمد", "F3 on to the address, everything searched")
    d.keys("F3")
    expect(selection(), "مُحَمَّد", "F3 round the end")
    print("ok 2 - F3 moves on, and round the end", flush=True)

    # Ctrl+H starts in the replacement, what to find already there.
    wid = open_find("ctrl+h")
    d.type("أحمد")
    d.keys("shift+Tab", "ctrl+a")
    d.type("احمد")
    # Tab through the choices and the commands to replace all.
    d.keys(*["Tab"] * 8, "space")
    close(wid)
    expect(app.post(), REPLACED, "replace all")
    d.keys("ctrl+z")
    expect(app.post(), POST, "one Ctrl+Z after replace all")
    print("ok 3 - Ctrl+H replaces احمد by أحمد in every form of alef; one Ctrl+Z gives the "
          "post back exactly", flush=True)


if __name__ == "__main__":
    sys.exit(drive.main(runs=((drive.Desktop, check),), usage=__doc__))
