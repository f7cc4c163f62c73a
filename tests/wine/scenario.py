"""Pieces the category tests share: programs copied into the prefix under
chosen names, services, the registry as a set, and the
action button's passes.

Every Wine command here writes its output to a file, not a pipe: a Wine
process can leave the pipe open in a server or service it started, and a
reader waiting for the end of a pipe would then wait for ever.
"""
import os
import re
import shutil
import time

import product
import screen_text
import winetest
from winetest import check

ACTION_RECT = product.rect("kAction")
ACTION_POINT = product.centre(ACTION_RECT)
ACTION_ORIGIN = product.origin(ACTION_RECT)
# Client points inside the category check boxes and their count lines, by code.
BOX_RECTS = dict(zip(product.CATEGORIES, product.rects("kCheck")))
BOX_POINTS = {code: product.centre(r) for code, r in BOX_RECTS.items()}
STATUS_RECT = product.rect("kStatus")
COUNT_RECTS = dict(zip(product.CATEGORIES, product.rects("kCountLine")))
PROGRAM_DIR = r"C:\kvtest"

SERVICE_STOPPED, SERVICE_STOP_PENDING, SERVICE_RUNNING = 1, 3, 4


# -- Wine commands, programs and processes --------------------------------------

def wine(session, *args, timeout=90):
    """Runs a Windows command in the session's prefix; returns (exit code, output)."""
    return session.wine_command(*args, timeout=timeout)


def install_program(session, build_exe, name):
    """Copies a program of the Windows build into C:\\kvtest under `name`; returns its Unix path."""
    folder = os.path.join(session.prefix, "drive_c", "kvtest")
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    shutil.copy(os.path.join(winetest.BUILD, build_exe), path)
    return path


def start_program(session, path, *args):
    """Starts a program without a pipe that a Wine server could inherit."""
    return session.start_at(path, *args)


def processes(session):
    """(pid, executable name) of every process, as the toolhelp snapshot reports them."""
    code, out = wine(session, os.path.join(winetest.BUILD, "proclist.exe"))
    lines = out.splitlines()
    check(code == 0 and lines and lines[-1].strip() == "end", f"proclist failed ({code}): {out[-200:]!r}")
    result = []
    for line in lines[:-1]:
        pid, _, name = line.strip().partition(" ")
        result.append((int(pid), name))
    return result


def process_names(session):
    return [name for _, name in processes(session)]


def wait_for_process(session, name, copies=1, timeout=30):
    winetest.wait_until(lambda: process_names(session).count(name) >= copies, timeout,
                        f"{copies} running {name}", interval=0.5)


# -- services -------------------------------------------------------------------

def install_service(session, name, exe_name, pending_ms=0, lifetime_s=300):
    """Registers tests/probes/test_service.exe, copied as exe_name, as service `name` and starts it."""
    install_program(session, "test_service.exe", exe_name)
    bin_path = (f'{PROGRAM_DIR}\\{exe_name} --name "{name}" --pending-ms {pending_ms} '
                f'--lifetime-s {lifetime_s}')
    code, out = wine(session, "sc", "create", name, "binPath=", bin_path)
    check(code == 0, f"sc create {name!r} failed ({code}): {out!r}")
    code, out = wine(session, "sc", "start", name)
    check(code == 0, f"sc start {name!r} failed ({code}): {out!r}")
    winetest.wait_until(lambda: service_state(session, name) == SERVICE_RUNNING, 30, f"{name} to run")


def service_state(session, name):
    """The service's current state number (1 stopped, 3 stop pending, 4 running), None if unknown."""
    code, out = wine(session, "sc", "query", name)
    found = re.search(r"STATE\s*:\s*(\d+)", out)
    return int(found.group(1)) if code == 0 and found else None


# -- the registry as a set --------------------------------------------------------

def reg_quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def reg_data(kind, data):
    """The .reg form of one value: kind "sz", "dword" or "binary" (bytes)."""
    if kind == "sz":
        return reg_quote(data)
    if kind == "dword":
        return f"dword:{data:08x}"
    if kind == "binary":
        return "hex:" + ",".join(f"{b:02x}" for b in data)
    raise ValueError(kind)


def import_values(session, values):
    """Writes (key, name, kind, data) values with one `reg import` of a UTF-16 file.

    A key with the name None is created without values.
    """
    lines = ["Windows Registry Editor Version 5.00", ""]
    by_key = {}
    for key, name, kind, data in values:
        by_key.setdefault(key, [])
        if name is not None:
            by_key[key].append(f"{reg_quote(name)}={reg_data(kind, data)}")
    for key, entries in by_key.items():
        lines += [f"[{key}]", *entries, ""]
    path = os.path.join(session.prefix, "drive_c", "kv-seed.reg")
    with open(path, "w", encoding="utf-16", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    code, out = wine(session, "reg", "import", r"C:\kv-seed.reg")
    os.remove(path)
    check(code == 0, f"reg import failed ({code}): {out!r}")


def export_registry(session, root):
    """Every key and value under root ("HKCU" or "HKLM") as a set of (key, value name, data text).

    A key appears as (key, None, None) too, so that a key removed with no
    values left is a difference of its own. Names compare case-insensitively
    as Windows does: keys and value names are folded to lower case.
    """
    path = os.path.join(session.prefix, "drive_c", "kv-export.reg")
    code, out = wine(session, "reg", "export", root, r"C:\kv-export.reg", "/y", timeout=180)
    check(code == 0 and os.path.exists(path), f"reg export {root} failed ({code}): {out!r}")
    with open(path, encoding="utf-16") as f:
        text = f.read()
    os.remove(path)
    return parse_reg(text)


def parse_reg(text):
    entries = set()
    key = None
    pending = None
    for raw in text.splitlines():
        # Hex data goes on over lines that end in a backslash; no other line
        # of an export does (a string ending in a backslash ends in \\").
        line = raw if pending is None else pending + raw.strip()
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        pending = None
        line = line.strip()
        if not line or line.startswith(";") or line.startswith("Windows Registry Editor"):
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1].lower()
            entries.add((key, None, None))
            continue
        if line.startswith("#"):  # Wine's own notes (a key's time, its class)
            continue
        name, data = split_value(line)
        entries.add((key, name.lower(), data))
    return entries


def split_value(line):
    """'"name"=data' or '@=data' into (name, data); name "@" for the default value."""
    if line.startswith("@="):
        return "@", line[2:]
    check(line.startswith('"'), f"unexpected line in a registry export: {line[:80]!r}")
    i, name = 1, []
    while i < len(line) and line[i] != '"':
        if line[i] == "\\" and i + 1 < len(line):
            i += 1
        name.append(line[i])
        i += 1
    check(line[i + 1:i + 2] == "=", f"unexpected value line: {line[:80]!r}")
    return "".join(name), line[i + 2:]


# -- the main window's passes -------------------------------------------------------

def action_face_is(session, bitmap):
    return winetest.region_matches(session.client_shot(), ACTION_ORIGIN, winetest.load_bmp(bitmap))


def press_action(session):
    session.click(*ACTION_POINT)
    session.move_away()


def set_box(session, category, ticked):
    """Clicks a category's check box and waits for the face it should show."""
    face = winetest.load_bmp("check_on.bmp" if ticked else "check_off.bmp")
    session.click(*BOX_POINTS[category])
    session.move_away()
    box = product.origin(BOX_RECTS[category])
    winetest.wait_until(lambda: winetest.region_matches(session.client_shot(), box, face), 10,
                        f"the {category} box to show its {'ticked' if ticked else 'empty'} face")
    time.sleep(0.7)  # past the double-click time, so that the next click is a click of its own


def run_pass(session, server, mode, face_after, timeout):
    """Presses the action button and waits for the pass to end; returns its seconds.

    A pass sends its usage request first and changes the button's face last,
    so the request tells that the pass started and the face that it ended.
    """
    before = server.count(mode)
    start = time.monotonic()
    press_action(session)
    winetest.wait_until(lambda: server.count(mode) == before + 1, 30, f"the mode={mode} request")
    winetest.wait_until(lambda: action_face_is(session, face_after), timeout,
                        f"the {mode} pass to end with the face {face_after}", interval=0.5)
    return time.monotonic() - start


def region(shot, rect):
    return shot.crop(rect)


def same_region(a, b, rect):
    return list(region(a, rect).getdata()) == list(region(b, rect).getdata())


# -- painted texts ------------------------------------------------------------------

CLEAN_DONE = product.text("kCleanDone")
CLEAN_FAILED_ONE = product.text("kCleanFailed") % 1


def status_reads(shot, text, other):
    """True when the painted status line looks like `text` rather than `other`."""
    return screen_text.reads_as(shot, STATUS_RECT, text, other)


# -- faults: what a run left behind ---------------------------------------------------

def answers(session, hwnd, bound_ms=2000):
    """True when the window's thread answers a message within bound_ms (winprobe --ping)."""
    code, out = wine(session, os.path.join(winetest.BUILD, "winprobe.exe"), "--ping", hwnd, str(bound_ms))
    return code == 0 and "answered=1" in out


def value_names(entries):
    """(key, value name) pairs of an export_registry set: a value whose data changed is still there."""
    return {(key, name) for key, name, _ in entries}


def drive_c_files(session):
    """Every file below the prefix's C: drive, as paths relative to it, lower case."""
    root = session.drive_c()
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root).lower())
    return found


# What Wine writes below C: on its own while a program runs: WinINet's index
# files of its cache and cookie store, created by the first HTTP request
# (the cached entries themselves would be listed: requests ask for no cache).
WINE_OWN_WRITES = re.compile(r"^users[\\/][^\\/]+[\\/]appdata[\\/]local[\\/]microsoft[\\/]windows[\\/]"
                             r"(inetcookies|inetcache[\\/]content\.ie5)[\\/]index\.dat$")


def written_outside(session, before, program_folder, *also):
    """New files since `before` (drive_c_files) that are neither in program_folder (nor in the
    folders `also`, paths below C: as drive_c_files spells them) nor Wine's own."""
    prefixes = tuple(folder.lower().rstrip("\\/") + os.sep for folder in (program_folder, *also))
    return sorted(f for f in drive_c_files(session) - before
                  if not f.startswith(prefixes) and not WINE_OWN_WRITES.match(f))
