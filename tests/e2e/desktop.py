#!/usr/bin/env python3
"""Drives the real program from outside, as a person would: a virtual X display,
a window manager, mouse clicks on the controls' rectangles, keys, and the
clipboard. Each step checks the whole post, read back through the copy button.

usage: desktop.py path/to/qirtaz      (exit 77: the X tools are not installed)
"""
import os
import shutil
import subprocess
import sys
import time

TOOLS = ["Xvfb", "openbox", "xdotool", "xclip"]

# Rectangles in twips (15 to the pixel) from each screen's client area, and the
# client heights the window frames are measured against.
MAIN, MAIN_HEIGHT = "Qirtaz ", 388
CONTROLS = {
    "smiley angry": (6720, 2280, 225, 225), "smiley smiling": (6720, 1440, 225, 225),
    "smiley sad": (6720, 3600, 225, 225), "smiley grin": (7200, 1440, 225, 225),
    "clear": (6720, 5040, 480, 480), "copy": (2040, 5040, 1095, 495),
    "exit": (120, 5040, 1095, 495), "size": (3960, 5040, 1215, 495),
    "colour": (5760, 5040, 480, 480), "post": (360, 1320, 6255, 2655),
    "image": (3360, 480, 405, 390), "link": (2520, 480, 405, 390),
    "web page": (4320, 480, 405, 390), "flash": (6240, 480, 405, 390),
    "sound": (1800, 480, 405, 390), "realmedia": (960, 480, 405, 390),
    "quote box": (5160, 480, 615, 375),
}
DIALOGS = {  # caption, client height
    "image": ("ادراج صورة", 65), "link": ("ادارج رابط", 100), "web page": ("أدراج صفحة", 61),
    "flash": ("ادراج فلاش بالنص", 102), "sound": ("ادراج صوت", 87), "realmedia": ("Form20", 102),
    "quote": ("ادراج اقتباس", 88), "other quote": ("اقتباس", 68), "colour list": ("قائمة الالوان", 362),
    "colour": ("ادراج لون", None), "size": ("تكبير النص", 189), "message": ("Qirtaz", None),
}


class Failure(Exception):
    pass


def run(*args, check=True):
    done = subprocess.run(args, capture_output=True, text=True, timeout=20)
    if check and done.returncode != 0:
        raise Failure(f"{' '.join(args)} failed: {done.stderr.strip()}")
    return done.stdout


def wait(condition, what, timeout=10.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise Failure(f"timed out waiting for {what}")


def windows(caption):
    out = run("xdotool", "search", "--onlyvisible", "--name", f"^{caption}$", check=False)
    return out.split()


def window(caption):
    return wait(lambda: (windows(caption) or [None])[0], f"window '{caption}'")


def gone(caption):
    wait(lambda: not windows(caption), f"window '{caption}' to close")


def client_top(wid, client_height):
    geometry = dict(line.split("=") for line in run("xdotool", "getwindowgeometry", "--shell", wid).split())
    return int(geometry["HEIGHT"]) - client_height  # the menu bar, if any


def click(caption, rect, client_height=None):
    wid = window(caption)
    run("xdotool", "windowactivate", "--sync", wid, check=False)
    wait(lambda: run("xdotool", "getactivewindow", check=False).strip() == wid, f"'{caption}' active")
    left, top, width, height = rect
    # The middle of the part that shows: a control may run past the client area.
    bottom = top + height if client_height is None else min(top + height, client_height * 15)
    x = (left + width // 2) // 15
    y = (top + bottom) // 2 // 15
    if client_height is not None:
        y += client_top(wid, client_height)
    run("xdotool", "mousemove", "--window", wid, str(x), str(y), "click", "1")
    return wid


def main_click(name):
    return click(MAIN, CONTROLS[name], MAIN_HEIGHT)


def dialog(name):
    return DIALOGS[name][0]


def dialog_click(name, rect):
    return click(dialog(name), rect, DIALOGS[name][1])


def type_text(text):
    if text.isascii():
        run("xdotool", "type", "--delay", "30", text)
        return
    # xdotool types a letter the keyboard map lacks by remapping a spare key;
    # letters sent in a burst can outrun the program's reading of the new map.
    for letter in text:
        run("xdotool", "type", "--delay", "120", letter)
        time.sleep(0.15)


def key(*keys):
    run("xdotool", "key", *keys)


def post():
    """The whole post, as the copy button puts it on the clipboard."""
    sentinel = f"not yet copied {time.monotonic()}"
    subprocess.run(["xclip", "-selection", "clipboard"], input=sentinel, text=True, timeout=10)
    main_click("copy")
    end = time.monotonic() + 10
    while time.monotonic() < end:
        copied = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, text=True)
        if copied.stdout != sentinel:
            return copied.stdout
        time.sleep(0.05)
    raise Failure("timed out waiting for the copied post")


def expect(text, step):
    got = post()
    if got != text:
        raise Failure(f"{step}: post is {got!r}, expected {text!r}")
    print(f"ok: {step}")


def scenario(program):
    p = ""
    window(MAIN)
    main_click("smiley angry"); p += ":mad:"; expect(p, "angry smiley")
    main_click("smiley smiling"); main_click("smiley sad"); p += ":(:("; expect(p, "two faces, one code")
    main_click("smiley grin"); p += ":D"; expect(p, "grin")
    main_click("clear"); p = ""; expect(p, "clear")

    main_click("image")
    dialog_click("image", (3240, 600, 600, 300)); p += "[img]http://[/img]"
    gone(dialog("image"))
    wait(lambda: run("xdotool", "getactivewindow").strip() == window(MAIN), "the main window in front")
    expect(p, "image dialog untouched, main window back in front")

    main_click("link"); window(dialog("link")); type_text("abc")
    dialog_click("link", (3120, 1200, 600, 300)); p += "[url=http://]abc[url/]"
    expect(p, "link with a typed phrase")

    main_click("post"); key("ctrl+End"); type_text(" hi "); p += " hi "
    expect(p, "typing in the post between insertions")

    main_click("flash"); dialog_click("flash", (1080, 600, 1095, 375)); key("ctrl+a"); type_text("500")
    dialog_click("flash", (3360, 1200, 600, 300)); p += "[FLASH=http://]WIDTH=500HEIGHT=350[/FLASH]"
    expect(p, "flash with a typed width")

    main_click("realmedia"); dialog_click("realmedia", (240, 840, 855, 375))
    dialog_click("realmedia", (2400, 1200, 600, 300)); p += "[RAM]http://[/RAM]"
    expect(p, "realmedia as video")

    main_click("quote box"); window(dialog("quote"))
    if windows(dialog("other quote")):
        raise Failure("the quote box opened the dialog behind its label")
    type_text(" [b]x[/b] =]")
    dialog_click("quote", (3240, 960, 600, 300)); p += "[QUOTE] [b]x[/b] =][/QUOTE]"
    expect(p, "quote with brackets and blanks, unchanged")

    main_click("colour"); dialog_click("colour list", (1800, 1800, 855, 375))
    gone(dialog("colour list")); p = "[color=purple]" + p + "[/color]"
    expect(p, "whole post in purple")

    main_click("colour"); dialog_click("colour list", (2640, 3480, 855, 375))
    gone(dialog("colour list")); window(dialog("colour"))
    click(dialog("colour"), (1800, 720, 480, 480), 84)  # the navy dialog's cancel
    window(dialog("colour list")); gone(dialog("colour"))
    dialog_click("colour list", (3360, 4320, 855, 375)); window(dialog("colour")); type_text("x")
    click(dialog("colour"), (3000, 720, 600, 300), 79); p += "[color=orange]x[/color]"
    expect(p, "word colour after a cancel that brought the list back")

    before_size = p
    main_click("size"); dialog_click("size", (1200, 1560, 2055, 285)); type_text("كبير")
    dialog_click("size", (3600, 1560, 615, 255)); p += "[size=3]كبير[/size]"
    expect(p, "size row 3 with Arabic text")

    main_click("post"); key("ctrl+z"); p = before_size
    expect(p, "ctrl+z takes back the size command as one step")

    main_click("web page"); window(dialog("web page"))
    main_click("sound"); wid = window(dialog("sound"))
    closing = window(dialog("web page"))
    run("xdotool", "windowactivate", "--sync", closing, check=False)
    key("alt+F4")
    gone(dialog("web page"))
    if not windows(dialog("sound")) or program.poll() is not None:
        raise Failure("closing one dialog through its frame closed more than it")
    dialog_click("sound", (3000, 840, 600, 300)); p += "[SOUND]http://[/SOUND]"
    expect(p, "a frame close unloads only its dialog")

    main_click("exit")
    box = window(dialog("message"))
    run("xdotool", "windowactivate", "--sync", box, check=False)
    key("Return")
    code = program.wait(timeout=10)
    if code != 0:
        raise Failure(f"the program ended with status {code}")
    print("ok: exit message, then the program ends")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    if any(shutil.which(tool) is None for tool in TOOLS):
        print("skipped: needs " + ", ".join(TOOLS))
        return 77
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    display = os.read(read, 16).decode().strip()
    os.environ["DISPLAY"] = ":" + display
    os.environ.pop("QT_QPA_PLATFORM", None)
    started = [xvfb]
    try:
        started.append(subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(0.5)
        program = subprocess.Popen([sys.argv[1]], stderr=subprocess.DEVNULL)
        started.append(program)
        scenario(program)
        return 0
    except (Failure, subprocess.TimeoutExpired) as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        for process in reversed(started):
            if process.poll() is None:
                process.kill()
                process.wait()


if __name__ == "__main__":
    sys.exit(main())
