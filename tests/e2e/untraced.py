#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the whole end-to-end session (drive.py) with the program under strace,
and fails on any Internet socket the program opens and on any file it creates
or writes.

Allowed, because they are the platform's and not the program's: a file Qt or
fontconfig keeps in the user's cache folder (fontconfig refreshes its font
cache there when the fonts changed since it was last written), and Qt's own
runtime folder ($XDG_RUNTIME_DIR, or /tmp/runtime-<user> when that is unset),
which Qt creates for its sockets on start-up. Nothing of the program's own may
land in either.

usage: untraced.py path/to/drive.py path/to/qirtaz   (exit 77: a tool is missing)
"""
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import time

SKIP = 77

# Every call that can reach the network or leave something on disk; only the
# successful ones are logged.
CALLS = ("socket,socketpair,open,openat,openat2,creat,mkdir,mkdirat,rename,renameat,renameat2,"
         "link,linkat,symlink,symlinkat,truncate")

WRITE_FLAGS = ("O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_APPEND")


def allowed_places():
    home = os.path.expanduser("~")
    cache = os.environ.get("XDG_CACHE_HOME") or os.path.join(home, ".cache")
    runtime = os.environ.get("XDG_RUNTIME_DIR") or "/tmp/runtime-" + (
        os.environ.get("USER") or __import__("pwd").getpwuid(os.getuid()).pw_name)
    return [os.path.join(cache, "fontconfig") + "/", runtime.rstrip("/")]


def is_allowed(path, places):
    path = os.path.normpath(path)
    for place in places:
        if place.endswith("/"):
            if path.startswith(place) or path + "/" == place:
                return True
        elif path == place or path.startswith(place + "/"):
            return True
    return False


def is_device_or_proc(path):
    """/dev and /proc are the kernel's, not files; a device opened to read and
    write (the terminal, /dev/null, a GPU) leaves nothing behind."""
    return path.startswith(("/dev/", "/proc/", "/sys/"))


def offences(log_text, places):
    found = []
    for line in log_text.splitlines():
        call = re.match(r"^(?:\[pid\s+)?(\d+)\]?\s*(\w+)\((.*)", line)
        if not call:
            continue
        name, rest = call.group(2), call.group(3)
        if name in ("socket", "socketpair"):
            if re.match(r"AF_INET6?\b|PF_INET6?\b", rest):
                found.append("an Internet socket: " + line)
            continue
        paths = re.findall(r'"((?:[^"\\]|\\.)*)"', rest)
        if not paths:
            continue
        if name in ("open", "openat", "openat2"):
            flags = rest.split('"', 2)[2] if rest.count('"') >= 2 else ""
            if not any(flag in flags for flag in WRITE_FLAGS):
                continue
            targets = paths[:1]
        elif name in ("rename", "renameat", "renameat2", "link", "linkat", "symlink", "symlinkat"):
            targets = paths[-1:]
        else:  # creat, mkdir, mkdirat, truncate
            targets = paths[:1]
        for path in targets:
            if not path.startswith("/"):
                found.append("a relative path, which this check cannot place: " + line)
            elif not is_device_or_proc(path) and not is_allowed(path, places):
                found.append("a file written: " + line)
    return found


# What the check must catch, so that a change to it cannot quietly let all pass.
MUST_FAIL = """\
101 socket(AF_INET, SOCK_STREAM|SOCK_CLOEXEC, IPPROTO_IP) = 5
101 socket(AF_INET6, SOCK_DGRAM, IPPROTO_IP) = 6
102 openat(AT_FDCWD, "/home/someone/post.txt", O_WRONLY|O_CREAT|O_TRUNC, 0666) = 7
101 mkdir("/home/someone/.config/Qirtaz", 0700) = 0
101 renameat2(AT_FDCWD, "/tmp/x", AT_FDCWD, "/home/someone/.config/Qirtaz.conf", 0) = 0
101 openat(AT_FDCWD, "settings.ini", O_RDWR) = 8
"""
MUST_PASS = """\
101 socket(AF_UNIX, SOCK_STREAM|SOCK_CLOEXEC, 0) = 3
101 openat(AT_FDCWD, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", O_RDONLY) = 9
101 openat(AT_FDCWD, "/dev/null", O_RDWR) = 4
101 openat(AT_FDCWD, "/home/someone/.cache/fontconfig/x.cache-8", O_RDWR|O_CREAT, 0666) = 5
101 +++ exited with 0 +++
"""


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    drive, program = sys.argv[1:]
    places = allowed_places() + ["/home/someone/.cache/fontconfig/"]
    if len(offences(MUST_FAIL, places)) != len(MUST_FAIL.splitlines()) or offences(MUST_PASS, places):
        print("FAILED: the check itself does not tell a file written from a file read")
        return 1
    if shutil.which("strace") is None:
        print("skipped: strace is not installed")
        return SKIP
    if subprocess.run(["strace", "-f", "-o", "/dev/null", "true"],
                      stderr=subprocess.DEVNULL).returncode != 0:
        print("skipped: strace may not trace here (no ptrace in this container?)")
        return SKIP
    keep = os.environ.get("QIRTAZ_KEEP_TRACE")
    with tempfile.TemporaryDirectory(prefix="qirtaz-untraced-") as scratch:
        trace = os.path.join(scratch, "trace.log")
        # The program keeps its own process id under strace -D (the tracer runs
        # as a detached grandchild), so the drive finds its windows by it as usual.
        wrapper = os.path.join(scratch, "qirtaz")
        with open(wrapper, "w") as script:
            script.write("#!/bin/sh\n"
                         f"exec strace -D -f -q -z -s 512 -e trace={CALLS} -o '{trace}' "
                         f"'{os.path.abspath(program)}' \"$@\"\n")
        os.chmod(wrapper, stat.S_IRWXU)

        # A desktop session has its bus. Without one, the X platform's D-Bus
        # library launches a bus of its own (dbus-launch, where installed): a
        # daemon that outlives the program and a file in ~/.dbus, neither of them
        # the program's doing, and a different session from machine to machine.
        env = dict(os.environ)
        # The leak sanitizer cannot run under a tracer; e2e_desktop checks for
        # leaks in the same session.
        env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), "detect_leaks=0"]))
        bus = None
        if shutil.which("dbus-daemon"):
            bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                                   stdout=subprocess.PIPE, text=True)
            env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        try:
            result = subprocess.run([sys.executable, drive, wrapper], env=env)
        finally:
            if bus:
                bus.terminate()
                bus.wait()
        if result.returncode != 0:
            print(f"the end-to-end session itself did not pass (status {result.returncode})")
            return result.returncode

        # The tracer writes on after the program has ended; wait for its last word.
        deadline = time.monotonic() + 60
        text = ""
        while time.monotonic() < deadline:
            with open(trace, errors="replace") as log:
                text = log.read()
            if "+++ exited with" in text or "+++ killed by" in text:
                break
            time.sleep(0.2)
        else:
            if keep:
                shutil.copy(trace, keep)
            print("strace did not finish its log")
            return 1

        if keep:
            shutil.copy(trace, keep)
        places = allowed_places()
        found = offences(text, places)
        opened = sum(1 for line in text.splitlines() if "open" in line)
        if found:
            print("FAILED: the program reached beyond its window:")
            for offence in found:
                print("  " + offence)
            return 1
        print(f"no Internet socket and no file written in {len(text.splitlines())} traced calls "
              f"({opened} opens); allowed: " + ", ".join(places))
        return 0


if __name__ == "__main__":
    sys.exit(main())
