"""Kestravin.exe started with arguments under Wine: run to its end, its report read back."""
import os
import time

import product
from winetest import check

RUN_BOUND_S = 120


def visible_x_windows(session):
    return set(session.xdotool("search", "--onlyvisible", "--name", "").split())


def run_unattended(session, exe, *args, report=None, watch_windows=False):
    """Runs the program with arguments to its end; returns (exit code, report lines or None).

    With watch_windows, X is polled for visible windows all the while, and
    any window that was not there before fails the run.
    """
    path = None
    if report:
        path = session.drive_c(report)
        if os.path.exists(path):
            os.remove(path)
        args = args + (f"/report:C:\\{report}",)
    before = visible_x_windows(session) if watch_windows else set()
    proc = session.start_at(exe, *args)
    seen, polls = set(), 0
    deadline = time.monotonic() + RUN_BOUND_S
    while proc.poll() is None:
        check(time.monotonic() < deadline, f"{' '.join(args)} did not end within {RUN_BOUND_S} s")
        if watch_windows:
            seen |= visible_x_windows(session) - before
            polls += 1
        time.sleep(0.05)
    if watch_windows:
        check(not seen, f"{' '.join(args)} showed windows: {sorted(seen)}")
        print(f"  {' '.join(args)}: no window in {polls} looks")
    lines = None
    if path and os.path.exists(path):
        with open(path, encoding="utf-8-sig", newline="") as f:
            text = f.read()
        check(text.endswith("\r\n"), f"the report does not end with a line end: {text[-40:]!r}")
        lines = text[:-2].split("\r\n")
    return proc.returncode, lines


def trace_lines(lines, lead):
    """The report's trace lines of that lead word, as (code, NAME, REGKEY, VALUe, rest...) tuples."""
    found = [tuple(line.split("\t")[1:]) for line in lines if line.startswith(lead + "\t")]
    for fields in found:
        check(len(fields) >= 4, f"a trace line with {len(fields)} fields: {fields!r}")
    return found


def category_counts(lines):
    """{code: [found, cleaned...]} from the report's category lines."""
    counts = {}
    for line in lines:
        code, sep, rest = line.partition(": ")
        if sep and code in product.CATEGORIES:
            counts[code] = [int(part.split()[-1]) for part in rest.split(", ")]
    return counts


def recent_folder(session):
    """The prefix user's Recent folder, made where Wine has not made it yet."""
    users = os.path.join(session.prefix, "drive_c", "users")
    user = next(u for u in sorted(os.listdir(users)) if u != "Public")
    folder = os.path.join(users, user, "AppData", "Roaming", "Microsoft", "Windows", "Recent")
    os.makedirs(folder, exist_ok=True)
    return folder
