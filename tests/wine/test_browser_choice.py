#!/usr/bin/python3
"""The browsers' rows under Wine: the real History and Web Data files of the
shared test data in the prefix's profile folders of Edge, Chrome and Whale,
and a History in write-ahead mode whose -wal holds rows the database file
does not.

RECENT and REGISTRY only: analyse, open the details window, untick two
addresses and one form entry (each scrolled into view, then its box
clicked), press 정리시작. Python's own SQLite then reads
every database: exactly the unticked entries (and what linked ticking kept
with them) are left of the listed ones, the visits of a kept address are all
there, and every table that holds no listed row is as it was. The History
with the -wal is listed as SQLite reads the two together, and once its rows
are cleaned neither file holds their texts.
"""
import os
import shutil
import sqlite3
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import scenario  # noqa: E402
import winetest  # noqa: E402
from details_list import TRACE_LIST, open_windows, probe_lines, ticks, untick  # noqa: E402
from winetest import check  # noqa: E402

DETAILS_POINT = product.centre(product.rect("kDetailsHot"))
DETAILS_CLEAN = product.centre(product.rect("kAction"))
COL_NAME, COL_CODE, COL_REGKEY, COL_VALUE, COL_DATA = 0, 2, 3, 4, 5
SHARED = os.path.join(winetest.TESTDATA, "files", "chromium")

# (browser folder below Local AppData, profile, file name, shared file)
PLACED = [
    (("Microsoft", "Edge", "User Data"), "Default", "History", "History"),
    (("Google", "Chrome", "User Data"), "Profile 1", "History", "History-hindsight-01"),
    (("Naver", "Naver Whale", "User Data"), "Default", "Web Data", "Web Data"),
]
# Tables whose rows cleaning may remove (a listed row, or one pointing at one).
CLEANED = {"urls", "visits", "visit_source", "keyword_search_terms", "segments", "segment_usage", "presentation",
           "autofill"}

session = None
server = None
facts = {}


def local_appdata():
    users = session.drive_c("users")
    user = next(u for u in sorted(os.listdir(users)) if u != "Public")
    return os.path.join(users, user, "AppData", "Local")


def dump(path):
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        tables = [r[0] for r in db.execute("SELECT name FROM sqlite_master WHERE type = 'table'")]
        return {t: sorted(map(repr, db.execute(f'SELECT * FROM "{t}"'))) for t in tables}
    finally:
        db.close()


def rows_of(path, sql):
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        return list(db.execute(sql))
    finally:
        db.close()


def cell(text):
    """A UTF-8 text as a list cell shows it: code page 949 with '?' for what it cannot spell, at most
    259 bytes and never half a double-byte character; read back as text."""
    data = (text or "")[:1024].encode("cp949", errors="replace")[:259]
    return data.decode("cp949", errors="ignore")


def case_place_files():
    base = local_appdata()
    facts["files"] = {}
    for folders, profile, name, shared in PLACED:
        folder = os.path.join(base, *folders, profile)
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name)
        shutil.copy(os.path.join(SHARED, shared), path)
        os.chmod(path, 0o644)
        windows = "\\".join(("C:", "users", os.path.basename(os.path.dirname(os.path.dirname(base))),
                             "AppData", "Local", *folders, profile, name))
        facts["files"][windows.lower()] = path
        facts.setdefault("shared", {})[path] = os.path.join(SHARED, shared)
    facts["before"] = {p: dump(p) for p in facts["files"].values()}


# Whale's History, in write-ahead mode: the first two addresses moved into
# the file, then (in the -wal alone) a third added and the second deleted.
WAL_BASE = [(1, "https://wal-base.example/one"), (2, "https://wal-base.example/two")]
WAL_ONLY = (3, "https://wal-only.example/secret")


def case_place_wal_history():
    base = local_appdata()
    folders, profile = ("Naver", "Naver Whale", "User Data"), "Default"
    folder = os.path.join(base, *folders, profile)
    os.makedirs(folder, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="kv-wal-")
    made = os.path.join(scratch, "History")
    db = sqlite3.connect(made, isolation_level=None)
    try:
        db.executescript("""
            CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR,
                              visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL,
                              last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL);
            CREATE TABLE keyword_search_terms (keyword_id INTEGER NOT NULL, url_id INTEGER NOT NULL,
                                               term LONGVARCHAR NOT NULL, normalized_term LONGVARCHAR NOT NULL);
        """)
        for ident, url in WAL_BASE:
            db.execute("INSERT INTO urls (id, url, title, last_visit_time) VALUES (?, ?, 't', 1)", (ident, url))
        db.execute("PRAGMA journal_mode=WAL")
        db.execute("PRAGMA wal_checkpoint(TRUNCATE)")
        db.execute("PRAGMA wal_autocheckpoint=0")
        db.execute("INSERT INTO urls (id, url, title, last_visit_time) VALUES (?, ?, 'w', 2)", WAL_ONLY)
        db.execute("DELETE FROM urls WHERE id = 2")
        # Taken while the connection is open: closed, it would move the -wal into the file.
        path = os.path.join(folder, "History")
        shutil.copy(made, path)
        shutil.copy(made + "-wal", path + "-wal")
    finally:
        db.close()
        shutil.rmtree(scratch, ignore_errors=True)
    with open(path, "rb") as f:
        check(WAL_ONLY[1].encode() not in f.read(), "the -wal's address is in the database file already")
    with open(path + "-wal", "rb") as f:
        check(WAL_ONLY[1].encode() in f.read(), "the -wal does not hold its address")
    windows = "\\".join(("C:", "users", os.path.basename(os.path.dirname(os.path.dirname(base))),
                          "AppData", "Local", *folders, profile, "History"))
    facts["wal_history"] = (windows.lower(), path)


def case_analysis():
    for code in ("GRID", "PROCESS"):
        scenario.set_box(session, code, False)
    scenario.run_pass(session, server, "analysis", "btn_clean.bmp", 180)


def case_untick_rows():
    for _ in range(3):
        session.click(*DETAILS_POINT)
        session.move_away()
        try:
            found = winetest.wait_until(lambda: open_windows(session), 5, "the details window")
            break
        except winetest.TestFailure:
            continue
    else:
        raise winetest.TestFailure("the details window did not open")
    details = found[0]
    hwnd = details["hwnd"]
    facts["details"] = details
    time.sleep(1.0)
    column = {c: probe_lines(session, "--texts", hwnd, str(TRACE_LIST), str(c)) for c in (COL_CODE, COL_REGKEY, COL_VALUE)}
    rows = list(zip(column[COL_CODE], column[COL_REGKEY], column[COL_VALUE]))
    facts["rows"] = rows
    mine = {i for i, r in enumerate(rows) if r[1].lower() in facts["files"]}
    urls = [i for i in sorted(mine) if rows[i][2].startswith("urls ")]
    forms = [i for i in sorted(mine) if rows[i][2].startswith("autofill ")]
    check(len(urls) >= 90 and len(forms) == 3, f"the browsers' rows are missing: {len(urls)} addresses, {forms}")
    # Read with its -wal: the address only there is listed, the one deleted there is not.
    wal_windows = facts["wal_history"][0]
    wal_rows = sorted(r[2] for r in rows if r[1].lower() == wal_windows)
    check(wal_rows == ["urls 1", "urls 3"], f"the History with a -wal gives {wal_rows}")
    # The list keeps an address and its title as the database holds them;
    # what the window shows is each one's code page 949 cell.
    names = probe_lines(session, "--texts", hwnd, str(TRACE_LIST), str(COL_NAME))
    datas = probe_lines(session, "--texts", hwnd, str(TRACE_LIST), str(COL_DATA))
    for i in urls:
        path = facts["files"][rows[i][1].lower()]
        url, title = rows_of(path, f"SELECT url, title FROM urls WHERE id = {int(rows[i][2].split()[1])}")[0]
        check((names[i], datas[i]) == (cell(url), cell(title)),
              f"row {i} shows {names[i]!r} / {datas[i]!r}, not {cell(url)!r} / {cell(title)!r}")
    check(all(ticks(session, hwnd)), "not every row is ticked at open")
    # Two addresses of two databases and one form entry.
    second_db = next(i for i in urls if rows[i][1] != rows[urls[0]][1])
    targets = [urls[0], second_db, forms[1]]

    for row in targets:
        untick(session, hwnd, row)
    state = ticks(session, hwnd)
    unticked = {i for i, s in enumerate(state) if not s}
    check(set(targets) <= unticked, f"rows {targets} are not all unticked: {sorted(unticked)}")
    # Linked ticking may keep an address's search terms with it; nothing else.
    extra = {i for i in unticked - set(targets)}
    check(all(rows[i][2].startswith("keyword_search_terms ") for i in extra), f"also unticked: {extra}")
    facts["kept"] = unticked


def case_clean_keeps_the_unticked():
    details = facts["details"]
    cleans = server.count("clean")
    left, top = details["rect"][:2]
    session.xdotool("mousemove", str(left + DETAILS_CLEAN[0]), str(top + DETAILS_CLEAN[1]), "click", "1")
    winetest.wait_until(lambda: not open_windows(session), 10, "button 1009 to close the window")
    winetest.wait_until(lambda: server.count("clean") == cleans + 1, 30, "the cleaning pass")
    winetest.wait_until(lambda: scenario.action_face_is(session, "btn_analyse.bmp"), 180, "the pass to end")
    rows = facts["rows"]
    for windows, path in facts["files"].items():
        kept = {}
        for i in facts["kept"]:
            if rows[i][1].lower() == windows:
                table, _, ident = rows[i][2].partition(" ")
                kept.setdefault(table, set()).add(int(ident))
        before, after = facts["before"][path], dump(path)
        check(set(before) == set(after), f"{windows}: tables differ: {set(before) ^ set(after)}")
        for table in before:
            if table not in CLEANED:
                check(before[table] == after[table], f"{windows}: table {table} changed")
        if "History" in path.split(os.sep)[-1]:
            urls = {r[0] for r in rows_of(path, "SELECT id FROM urls")}
            check(urls == kept.get("urls", set()), f"{windows}: addresses left {urls}, kept {kept.get('urls')}")
            terms = {r[0] for r in rows_of(path, "SELECT rowid FROM keyword_search_terms")}
            check(terms == kept.get("keyword_search_terms", set()), f"{windows}: terms left {terms}")
            visits_after = sorted(rows_of(path, "SELECT * FROM visits"))
            visits_before = sorted(r for r in rows_of(facts["shared"][path], "SELECT * FROM visits") if r[1] in urls)
            check(visits_after == visits_before, f"{windows}: the kept addresses' visits differ")
        else:
            forms = {r[0] for r in rows_of(path, "SELECT rowid FROM autofill")}
            check(forms == kept.get("autofill", set()), f"{windows}: form entries left {forms}")
    print(f"  {len(rows)} rows listed; {len(facts['kept'])} kept exactly; every other table unchanged")


def case_wal_history_cleaned():
    path = facts["wal_history"][1]
    with open(path, "rb") as f:
        data = f.read()
    wal = b""
    if os.path.exists(path + "-wal"):
        with open(path + "-wal", "rb") as f:
            wal = f.read()
    check(wal == b"", f"the -wal holds {len(wal)} bytes after cleaning")
    for text in (WAL_ONLY[1], WAL_BASE[0][1]):
        check(text.encode() not in data, f"{text} is still in the database file")
    # Read from a copy: a read-only connection to a write-ahead database would want a -shm beside it.
    scratch = tempfile.mkdtemp(prefix="kv-wal-")
    try:
        copy = os.path.join(scratch, "History")
        shutil.copy(path, copy)
        db = sqlite3.connect(copy)
        try:
            left = db.execute("SELECT count(*) FROM urls").fetchone()[0]
        finally:
            db.close()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    check(left == 0, f"{left} addresses are left in the History with the -wal")


def main():
    global session, server
    with winetest.served_session("browsers") as (s, srv):
        session, server = s, srv
        s.start()
        s.find_window()
        winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
        winetest.run([
            ("the real History and Web Data files in Edge's, Chrome's and Whale's profile folders", case_place_files),
            ("Whale's History in write-ahead mode, a row only in its -wal", case_place_wal_history),
            ("GRID and PROCESS unticked: the analysis lists the browsers' rows", case_analysis),
            ("details: two addresses of two databases and one form entry unticked", case_untick_rows),
            ("details 1009: exactly the unticked entries are left, every other table unchanged",
             case_clean_keeps_the_unticked),
            ("the History with the -wal: cleaned, its texts in neither file", case_wal_history_cleaned),
        ])


if __name__ == "__main__":
    main()
