"""The shared user hives and their usage-history subtrees: the hive's keys
as hivexregedit exports them, the keys each history source names, and their
import into a prefix. Shared by the hive test and the benchmark.

Shell Folders and User Shell Folders are never imported: their paths belong
to the hive's own machine and break the prefix's shell.
"""
import lzma
import os
import re
import shutil
import subprocess

import scenario
import winetest
from winetest import check

_REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HIVES_DIR = os.environ.get("KV_HIVES", os.path.join(winetest.TESTDATA, "hives"))
HIVES = ["NTUSER.DAT.xz", "NTUSER-WSL.DAT.xz"]
HKCU = "hkey_current_user"

E = r"software\microsoft\windows\currentversion\explorer"


def _history_key(lead):
    """A key of the program's own history table, by the start of its name, lower case."""
    with open(os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                           "engine", "history", "HistorySources.cpp"), encoding="utf-8") as f:
        found = re.search(r'"(' + re.escape(lead) + r'[^"]*)"', f.read())
    check(found is not None, f"no history key beginning {lead!r} in engine/history/HistorySources.cpp")
    return found.group(1).lower()

OFFICE_APPS = ["word", "excel", "powerpoint", "access", "publisher"]
OFFICE_LISTS = [r"file mru", r"place mru", r"user mru\*\file mru", r"user mru\*\place mru"]

# The keys RECENT reads below HKEY_CURRENT_USER, as the program's users know
# them: (pattern, and its subkeys?, the one value read or None for all). A
# "*" level is every subkey there. The MUI caches list only programs that are
# gone and the help list lives under HKEY_LOCAL_MACHINE; neither hive holds
# those, so they are left out here.
SOURCES = [
    (r"software\microsoft\search assistant\acmru\5603", False, None),
    (r"software\microsoft\search assistant\acmru\5604", False, None),
    (E + r"\runmru", False, None),
    # Explorer's old search box list, named as the program's table names it.
    (E + "\\" + _history_key("Doc Find "), False, None),
    (E + r"\comdlg32\opensavemru", False, None),
    (r"software\microsoft\windows\currentversion\applets\paint\recent file list", False, None),
    *[(rf"software\microsoft\office\{v}\{app}\file mru", False, None)
      for app in ("excel", "powerpoint", "word") for v in ("12.0", "14.0")],
    (r"software\microsoft\mediaplayer\player\recentfilelist", False, None),
    (r"software\microsoft\mediaplayer\player\recenturllist", False, None),
    (r"software\gretech\gomplayer\option", False, "srecentfile"),
    (r"software\gretech\gomplayer\option", False, "srecentfolder"),
    (r"software\gretech\gomplayer\option", False, "srecenturl"),
    (r"software\estsoft\alsong\param\recenturl", False, None),
    (r"software\daum\potplayermini\bmlist", False, None),
    (r"software\microsoft\internet explorer\typedurls", False, None),
    (r"software\estsoft\alzip\mruopen", False, None),
    (E + r"\recentdocs", True, None),
    (E + r"\typedpaths", False, None),
    (E + r"\wordwheelquery", False, None),
    (E + r"\comdlg32\opensavepidlmru\*", False, None),
    (E + r"\comdlg32\lastvisitedpidlmru", False, None),
    (E + r"\comdlg32\lastvisitedpidlmrulegacy", False, None),
    (E + r"\comdlg32\cidsizemru", False, None),
    (E + r"\comdlg32\firstfolder", False, None),
    (E + r"\userassist\*\count", False, None),
    *[(rf"software\microsoft\office\{v}\{app}\{lst}", False, None)
      for v in ("15.0", "16.0") for app in OFFICE_APPS for lst in OFFICE_LISTS],
    (r"software\microsoft\windows\currentversion\applets\wordpad\recent file list", False, None),
    (r"software\microsoft\microsoft management console\recent file list", False, None),
    (r"software\microsoft\terminal server client\default", False, None),
    (E + r"\map network drive mru", False, None),
    (r"software\microsoft\windows\currentversion\applets\regedit", False, "lastkey"),
    (r"software\microsoft\internet explorer\typedurlstime", False, None),
    (r"software\daum\potplayermini\rememberfiles", False, None),
    (r"software\daum\potplayermini64\rememberfiles", False, None),
    (r"software\gretech\gomplayer\option", False, "srecentplfolder"),
]
NEVER = re.compile(r"\\(user )?shell folders(\\|$)")



def hive_export(name, workdir):
    """The hive as the text of a .reg file (hivexregedit --export)."""
    path = os.path.join(workdir, name[:-3])
    with lzma.open(os.path.join(HIVES_DIR, name)) as src, open(path, "wb") as dst:
        shutil.copyfileobj(src, dst)
    done = subprocess.run(["hivexregedit", "--export", "--prefix", "HKEY_CURRENT_USER", path, "\\"],
                          capture_output=True, timeout=300)
    check(done.returncode == 0, f"hivexregedit failed on {name}: {done.stderr[-300:]!r}")
    return done.stdout.decode("ascii", "replace")


def hive_keys(text):
    """{lower-case key below HKCU: (key as written, [(lower-case value name, value line)])}."""
    keys = {}
    current = None
    for line in re.sub(r"\\\r?\n\s*", "", text).splitlines():
        if line.startswith("[") and line.endswith("]"):
            full = line[1:-1]
            current = full.split("\\", 1)[1] if "\\" in full else ""
            keys[current.lower()] = (current, [])
        elif current is not None and (line.startswith('"') or line.startswith("@=")):
            name, _ = scenario.split_value(line)
            keys[current.lower()][1].append((name.lower(), line))
    return keys


def matches(pattern, key):
    levels, parts = pattern.split("\\"), key.split("\\")
    return len(levels) == len(parts) and all(l == "*" or l == p for l, p in zip(levels, parts))


def single_value_row(line):
    """A single-value source lists its value when the text read is neither "0"
    nor empty and fits the 260-byte read (the hive stores strings as hex(1),
    UTF-16)."""
    _, data = scenario.split_value(line)
    if data.startswith("hex(1):"):
        raw = bytes(int(b, 16) for b in data[7:].split(",") if b)
        text = raw.decode("utf-16-le", "replace").split("\0")[0]
    elif data.startswith('"'):
        text = data[1:-1].replace('\\\\', '\\')
    else:
        return False
    return text not in ("", "0") and len(text.encode("cp949", "replace")) < 260


def expected_rows(keys):
    """{(source index, concrete key): [value names]} of the rows the hive's history must give."""
    rows = {}
    for index, (pattern, with_subkeys, single) in enumerate(SOURCES):
        for key, (_, values) in keys.items():
            if NEVER.search(key):
                continue
            direct = matches(pattern, key)
            child = with_subkeys and "\\" in key and matches(pattern, key.rsplit("\\", 1)[0])
            if not (direct or child):
                continue
            names = [n for n, _ in values if n != "@"]
            if single is not None:
                names = [n for n, line in values if n == single and single_value_row(line)]
            if names:
                rows[(index, key)] = names
    return rows


def import_subtrees(session, keys, wanted):
    """Imports the keys in `wanted` with their values, as the hive holds them."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key in sorted(wanted):
        written, values = keys[key]
        lines += [f"[HKEY_CURRENT_USER\\{written}]", *[line for _, line in values], ""]
    path = os.path.join(session.prefix, "drive_c", "kv-hive.reg")
    with open(path, "w", encoding="utf-16", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    code, out = scenario.wine(session, "reg", "import", r"C:\kv-hive.reg", timeout=300)
    os.remove(path)
    check(code == 0, f"reg import failed ({code}): {out!r}")


def history(name, workdir):
    """(keys, rows) of a shared hive: its keys as hive_keys gives them and the
    rows its usage history must give (expected_rows)."""
    keys = hive_keys(hive_export(name, workdir))
    return keys, expected_rows(keys)
