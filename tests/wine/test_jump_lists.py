#!/usr/bin/python3
"""RECENT's files under Wine, with the real shortcuts and jump lists of the
shared test data in the prefix user's Recent folder:

  - /analyse:RECENT lists each shortcut by its target, the custom jump list,
    and every unpinned entry of the automatic jump lists, each named after
    its target (the entry's record, read here with olefile, names the same
    file); it changes nothing;
  - /clean:RECENT removes exactly those: the real list, left without an
    entry, goes; its copy with two entries pinned keeps exactly them, their
    link streams and DestList records byte for byte; nothing else in the
    user's profile changes, desktop.ini, other files and folders included;
  - a jump list Explorer holds open keeps every entry and every byte, and
    its rows are reported as not cleaned (exit 1);
  - the edited list holds no removed entry's path in any of its bytes;
  - Recent's jump list folder and a shortcut turned into links to files
    outside the profile: nothing is listed through them, and what they
    point at is byte for byte as it was after /clean:RECENT.

The jump lists are read and pinned here with olefile, an implementation of
the format independent of the program's own.
"""
import hashlib
import os
import select
import shutil
import struct
import subprocess
import sys

import olefile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import winetest  # noqa: E402
from unattended import category_counts, recent_folder, run_unattended, trace_lines  # noqa: E402
from winetest import check  # noqa: E402

DATA = os.path.join(winetest.TESTDATA, "files")
EXPLORER = "1b4dd67f29cb1962.automaticDestinations-ms"
PINNED = "f01b4d95cf55d32a.automaticDestinations-ms"  # the same list with two entries pinned
HELD = "9b9cdc69c1c24e2b.automaticDestinations-ms"
CUSTOM = "5afe4de1b92fc382.customDestinations-ms"
PIN_NUMBERS = (3, 6)
FOUND, NOT_CLEANED = product.text("kFoundWord"), product.text("kNotCleanedWord")
SKIPPED = product.text("kSkippedWord")
APP_FOLDER = "Kestravin"

# DestList version 1 (Windows 7): a 32-byte header, then records whose path
# length sits at 112, the entry number at 88 and the pin at 108.
HEADER, NUMBER_AT, PIN_AT, PATH_SIZE_AT = 32, 88, 108, 112


def dest_list_records(data):
    """{entry number: (offset, length, pin, path)} of a version 1 DestList."""
    count = struct.unpack_from("<I", data, 4)[0]
    records, pos = {}, HEADER
    for _ in range(count):
        units = struct.unpack_from("<H", data, pos + PATH_SIZE_AT)[0]
        length = PATH_SIZE_AT + 2 + 2 * units
        number = struct.unpack_from("<I", data, pos + NUMBER_AT)[0]
        pin = struct.unpack_from("<i", data, pos + PIN_AT)[0]
        path = data[pos + PATH_SIZE_AT + 2:pos + length].decode("utf-16-le")
        records[number] = (pos, length, pin, path)
        pos += length
    return records


def streams(path):
    with olefile.OleFileIO(path) as ole:
        return {"/".join(name): ole.openstream(name).read() for name in ole.listdir()}


def pin(path, numbers):
    """Pins the entries, as Windows marks a pin: their places 0, 1, ... and the header's count."""
    with olefile.OleFileIO(path, write_mode=True) as ole:
        data = bytearray(ole.openstream("DestList").read())
        records = dest_list_records(bytes(data))
        for order, number in enumerate(numbers):
            struct.pack_into("<i", data, records[number][0] + PIN_AT, order)
        struct.pack_into("<I", data, 8, len(numbers))
        ole.write_stream("DestList", bytes(data))


def profile(session):
    """{path below the user folder: sha256} of every file in the prefix user's profile."""
    users = session.drive_c("users")
    listing = {}
    for top, _, names in os.walk(users):
        for name in names:
            full = os.path.join(top, name)
            if os.path.islink(full):
                continue
            with open(full, "rb") as f:
                listing[os.path.relpath(full, users)] = hashlib.sha256(f.read()).hexdigest()
    return listing


def entry_name(path):
    """What a row is named: the last part of its target's path."""
    return path.rsplit("\\", 1)[-1]


def fill(session):
    recent = recent_folder(session)
    automatic = os.path.join(recent, "AutomaticDestinations")
    custom = os.path.join(recent, "CustomDestinations")
    os.makedirs(automatic, exist_ok=True)
    os.makedirs(custom, exist_ok=True)
    os.makedirs(os.path.join(recent, "하위 폴더"), exist_ok=True)
    shutil.copyfile(os.path.join(DATA, "lnk", "NeroInfoTool.lnk"), os.path.join(recent, "InfoTool.exe.lnk"))
    shutil.copyfile(os.path.join(DATA, "lnk", "example.lnk"), os.path.join(recent, "계획서.hwp.lnk"))
    shutil.copyfile(os.path.join(DATA, "lnk", "example.lnk"), os.path.join(recent, "하위 폴더", "안쪽.lnk"))
    with open(os.path.join(recent, "desktop.ini"), "w") as f:
        f.write("[.ShellClassInfo]\r\n")
    shutil.copyfile(os.path.join(DATA, "jumplists", CUSTOM), os.path.join(custom, CUSTOM))
    real = os.path.join(DATA, "jumplists", EXPLORER)
    shutil.copyfile(real, os.path.join(automatic, EXPLORER))
    shutil.copyfile(real, os.path.join(automatic, PINNED))
    pin(os.path.join(automatic, PINNED), PIN_NUMBERS)
    shutil.copyfile(real, os.path.join(automatic, "readme.txt"))
    return recent, automatic, custom


def case_analyse_and_clean(session, exe):
    recent, automatic, _ = fill(session)
    records = dest_list_records(streams(os.path.join(automatic, EXPLORER))["DestList"])
    check(len(records) == 7 and all(r[2] == -1 for r in records.values()), f"the real list's records: {records}")
    before_pinned = streams(os.path.join(automatic, PINNED))

    code, lines = run_unattended(session, exe, "/analyse:RECENT", report="kv-jump-analyse.txt")
    check(code == 0, f"/analyse:RECENT exited {code}; {lines!r}")
    found = trace_lines(lines, FOUND)
    rows = {(t[2].rsplit("\\", 1)[-1], t[3]): t[1] for t in found}
    expected = {("Recent", "InfoTool.exe.lnk"): "InfoTool.exe", ("Recent", "계획서.hwp.lnk"): "계획서.hwp",
                ("CustomDestinations", CUSTOM): CUSTOM}
    for number, (_, _, _, path) in records.items():
        expected[("AutomaticDestinations", f"{EXPLORER}\\{number:x}")] = entry_name(path)
        if number not in PIN_NUMBERS:
            expected[("AutomaticDestinations", f"{PINNED}\\{number:x}")] = entry_name(path)
    check(rows == expected, f"rows listed: {sorted(rows.items())}\nexpected: {sorted(expected.items())}")
    check(category_counts(lines).get("RECENT") == [len(expected)], f"category lines of {lines!r}")
    print(f"  listed {len(found)} rows, {len(records) * 2 - len(PIN_NUMBERS)} of them jump list entries")

    before = profile(session)
    code, lines = run_unattended(session, exe, "/clean:RECENT", report="kv-jump-clean.txt")
    check(code == 0, f"/clean:RECENT exited {code}; {lines!r}")
    after = profile(session)
    user_recent = os.path.relpath(recent, session.drive_c("users"))
    gone = {os.path.join(user_recent, p) for p in
            ("InfoTool.exe.lnk", "계획서.hwp.lnk", os.path.join("CustomDestinations", CUSTOM),
             os.path.join("AutomaticDestinations", EXPLORER))}
    changed = {os.path.join(user_recent, "AutomaticDestinations", PINNED)}
    check(set(before) - set(after) == gone, f"files gone: {sorted(set(before) - set(after))}")
    check(set(after) - set(before) == set(), f"files added: {sorted(set(after) - set(before))}")
    differ = {p for p in after if before[p] != after[p]}
    check(differ == changed, f"files changed: {sorted(differ)}")

    # What was removed cannot be read back from the list that was edited:
    # no removed entry's path is left in any of its sectors.
    with open(os.path.join(automatic, PINNED), "rb") as f:
        raw = f.read()
    kept_paths = {records[n][3] for n in PIN_NUMBERS}
    removed_paths = {r[3] for n, r in records.items() if n not in PIN_NUMBERS} - kept_paths
    readable = sorted(p for p in removed_paths if p.encode("utf-16-le") in raw)
    check(removed_paths and not readable, f"removed paths still in the file's bytes: {readable}")

    kept = streams(os.path.join(automatic, PINNED))
    check(set(kept) == {"DestList"} | {f"{n:x}" for n in PIN_NUMBERS}, f"streams left: {sorted(kept)}")
    old, new = before_pinned["DestList"], kept["DestList"]
    old_records, new_records = dest_list_records(old), dest_list_records(new)
    check(set(new_records) == set(PIN_NUMBERS), f"entries left: {sorted(new_records)}")
    check(struct.unpack_from("<I", new, 8)[0] == len(PIN_NUMBERS), "the header's pin count changed")
    for number in PIN_NUMBERS:
        o, n = old_records[number], new_records[number]
        check(old[o[0]:o[0] + o[1]] == new[n[0]:n[0] + n[1]], f"the record of pinned entry {number} changed")
        check(kept[f"{number:x}"] == before_pinned[f"{number:x}"], f"the link of pinned entry {number} changed")


def case_held_list_stays(session, exe):
    recent = recent_folder(session)
    automatic = os.path.join(recent, "AutomaticDestinations")
    os.makedirs(automatic, exist_ok=True)
    held = os.path.join(automatic, HELD)
    shutil.copyfile(os.path.join(DATA, "jumplists", EXPLORER), held)
    with open(held, "rb") as f:
        bytes_before = f.read()
    holder = hold_file(session, f"{recent_folder_windows(session)}\\AutomaticDestinations\\{HELD}")
    try:
        code, lines = run_unattended(session, exe, "/clean:RECENT", report="kv-jump-held.txt")
    finally:
        holder.kill()
        holder.wait(timeout=30)
    check(code == 1, f"exit {code}, not 1; {lines!r}")
    left = trace_lines(lines, NOT_CLEANED)
    check(len(left) == 7 and all(t[3].startswith(HELD + "\\") for t in left), f"lines not cleaned: {left!r}")
    with open(held, "rb") as f:
        check(f.read() == bytes_before, "the held jump list changed")


def case_links_lead_nowhere(session, exe):
    """Recent's jump list folder and a shortcut turned into links to files outside the profile."""
    recent = recent_folder(session)
    automatic = os.path.join(recent, "AutomaticDestinations")
    outside = os.path.join(session.prefix, "kv-outside")
    lists = os.path.join(outside, "lists")
    os.makedirs(lists, exist_ok=True)
    shutil.copyfile(os.path.join(DATA, "jumplists", EXPLORER), os.path.join(lists, EXPLORER))
    shutil.copyfile(os.path.join(DATA, "lnk", "example.lnk"), os.path.join(outside, "target.lnk"))
    shutil.rmtree(automatic, ignore_errors=True)
    os.symlink(lists, automatic)
    os.symlink(os.path.join(outside, "target.lnk"), os.path.join(recent, "링크.lnk"))
    before = {name: open(os.path.join(top, name), "rb").read()
              for top, _, names in os.walk(outside) for name in names}

    code, lines = run_unattended(session, exe, "/analyse:RECENT", report="kv-jump-links.txt")
    check(code == 1, f"/analyse:RECENT exited {code}, not 1 for places it did not read; {lines!r}")
    through = [t for t in trace_lines(lines, FOUND) if "AutomaticDestinations" in t[2] or t[3] == "링크.lnk"]
    check(not through, f"listed through a link: {through!r}")
    skipped = {line.split("\t")[1].rsplit("\\", 1)[-1] for line in lines if line.startswith(SKIPPED + "\t")}
    check(skipped == {"AutomaticDestinations", "링크.lnk"}, f"places named as not read: {skipped}; {lines!r}")
    code, lines = run_unattended(session, exe, "/clean:RECENT", report="kv-jump-links-clean.txt")
    after = {name: open(os.path.join(top, name), "rb").read()
             for top, _, names in os.walk(outside) for name in names}
    check(after == before, f"files outside the profile changed: {sorted(set(before) ^ set(after))}")
    check(os.path.islink(automatic) and os.path.islink(os.path.join(recent, "링크.lnk")), "a link itself went")


def hold_file(session, windows_path):
    """hold_file.exe holding the file open as Explorer holds a list it writes; returns it once it holds."""
    proc = subprocess.Popen(session.wine + [os.path.join(winetest.BUILD, "hold_file.exe"), "120", "-",
                                            windows_path],
                            env=session.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    ready, _, _ = select.select([proc.stdout], [], [], 60)
    line = proc.stdout.readline() if ready else b""
    if line.strip() != b"held":
        proc.kill()
        proc.wait(timeout=30)
        check(False, f"hold_file.exe did not hold {windows_path} (it said {line!r}, exit {proc.poll()})")
    session.procs.append(proc)
    return proc


def recent_folder_windows(session):
    users = session.drive_c("users")
    return "C:\\users\\" + os.path.relpath(recent_folder(session), users).replace("/", "\\")


def main():
    with winetest.served_session("jump-lists") as (s, _server):
        exe = s.install(APP_FOLDER)
        failed = winetest.run_cases([
            ("RECENT lists the real shortcuts and jump lists by target and cleans exactly them, keeping every pin",
             lambda: case_analyse_and_clean(s, exe)),
            ("a jump list a program holds open keeps every byte; its rows are reported not cleaned",
             lambda: case_held_list_stays(s, exe)),
            ("a jump list folder and a shortcut that are links to files outside the profile: "
             "nothing listed or changed there", lambda: case_links_lead_nowhere(s, exe)),
        ])
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
