#!/usr/bin/python3
"""The version check under Wine against a server that misbehaves.

One prefix, the program in C:\\Kestravin, two program starts:
  1. the server sends half its reply and stalls: the connection-error box
     comes within the time-outs, the window follows once it is confirmed;
  2. the server resets every connection: the same. This start then serves
     the menu command "최신버전 확인" (32772) against a reset and a stalled
     reply (the error box, then the already-latest box for the reply it
     still has, none), status 500 (the update's download fails: the download
     box), a 10 MB reply, a version beyond 32 bits (newer: downloaded and
     opened, as it is signed by "Kestravin" under the session's test root),
     negative versions and a URL without "/" (refused: the download box).
Each is bounded, leaves the window answering, and writes nothing outside
the program's folder but what Wine writes for itself.
"""
import os
import sys
import subprocess
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402
import updates  # noqa: E402
import winetest  # noqa: E402
from updates import (APP_FOLDER, CHECK_VERSION, ERROR_CAPTION, ERROR_TEXT, EXIT, IDOK,  # noqa: E402
                     LATEST_TEXT, MARKER, SETUP, UPDATE_EXE_REQUEST, VERSION_QUERY)
from winetest import check  # noqa: E402

# Connect and receive time-outs of 4 s each, twice over for a reply that
# trickles, and Wine's own start: anything longer is a hang.
NET_BOUND_S = 30
BIG_REPLY = 10 * 1024 * 1024

session = None
server = None
exe = None
main_hwnd = None
files_before = None


def check_usable(what):
    check(scenario.answers(session, main_hwnd), f"{what}: the main window did not answer within 2 s")
    check(not session.boxes(), f"{what}: a box is left open: {session.boxes()}")
    update_folder = os.path.relpath(updates.update_dir(session), session.drive_c())
    outside = scenario.written_outside(session, files_before, APP_FOLDER, update_folder)
    check(not outside, f"{what}: files written outside C:\\{APP_FOLDER} and the update folder: {outside[:10]}")


def check_no_update_written(what):
    left = [n for n in os.listdir(updates.app_dir(session)) if n != "Kestravin.exe"]
    check(not left, f"{what}: written into the program's folder: {left}")
    check(not updates.update_files(session), f"{what}: left in the update folder: {updates.update_files(session)}")


def start_up_box(**fault):
    """Starts the program against a faulty server; returns the main window after the box is confirmed."""
    global main_hwnd
    server.control(**fault)
    start = time.monotonic()
    proc = session.start_at(exe)
    box = session.wait_for_box(ERROR_CAPTION, ERROR_TEXT, NET_BOUND_S)
    print(f"  {fault}: the connection-error box after {time.monotonic() - start:.1f} s")
    check(not any(winetest.is_main_window(w) for w in session.windows()),
          "the main window shows beside the start-up box")
    server.control(reset=0, partial=0)
    session.click_button(box["hwnd"], IDOK)
    main_hwnd = session.wait_for_window("the main window after the box", winetest.is_main_window, NET_BOUND_S)["hwnd"]
    check_usable(f"start-up, {fault}")
    check_no_update_written(f"start-up, {fault}")
    return proc


def menu_check(reply=None, **fault):
    """The menu's version check with the reply and fault served; returns the requests it made."""
    server.control(**({"reply": reply} if reply is not None else {}), **fault)
    before = len(server.requests())
    session.click_button(main_hwnd, CHECK_VERSION)
    return before


def wait_for_check_end(before, what):
    """Waits for the usage request that ends every menu check that reached the server."""
    start = time.monotonic()
    winetest.wait_until(lambda: UPDATE_EXE_REQUEST in server.requests()[before:], NET_BOUND_S,
                        f"the check with {what} to end")
    return time.monotonic() - start


def case_start_up_stalled_reply():
    try:
        proc = start_up_box(partial=1)
        session.click_button(main_hwnd, EXIT)
        winetest.wait_until(lambda: proc.poll() is not None, 30, "the program to exit")
    finally:
        # A first instance left behind would turn the next start into a second one.
        for stray in session.procs:
            if stray.poll() is None:
                stray.kill()
                stray.wait(timeout=10)


def case_start_up_reset():
    start_up_box(reset=1)


def case_menu_connection_faults():
    for fault in ({"reset": 1}, {"partial": 1}):
        start = time.monotonic()
        menu_check(**fault)
        box = session.wait_for_box(ERROR_CAPTION, ERROR_TEXT, NET_BOUND_S)
        print(f"  menu, {fault}: the connection-error box after {time.monotonic() - start:.1f} s")
        server.control(reset=0, partial=0)
        session.click_button(box["hwnd"], IDOK)
        # The check goes on with the last reply it had (none: version 0), as
        # it was designed, and so ends with the already-latest box. Its whole
        # exchange, the usage count included (sent while the fault was still
        # served), was over before its first box came.
        latest = session.wait_for_box(winetest.TITLE, LATEST_TEXT, NET_BOUND_S)
        session.click_button(latest["hwnd"], IDOK)
        winetest.wait_until(lambda: not session.boxes(), 10, "the boxes to close")
        check_usable(f"menu, {fault}")
        check_no_update_written(f"menu, {fault}")


def case_menu_status_500():
    # The body of an error page is read as the reply; the update it names is
    # refused because its own answer is an error page too.
    before = menu_check(reply=f"2#{updates.setup_url(server)}", status=500)
    box = session.wait_for_box(winetest.TITLE, updates.DOWNLOAD_TEXT, NET_BOUND_S)
    session.click_button(box["hwnd"], IDOK)
    seconds = wait_for_check_end(before, "status 500")
    server.control(status=0)
    print(f"  menu, status 500: ended after {seconds:.1f} s")
    fetched = server.requests()[before:]
    check(fetched[:2] == [VERSION_QUERY, f"/files/{SETUP}"],
          f"the error page's reply was not read as version 2: requests {fetched}")
    time.sleep(1.0)
    check_usable("menu, status 500")
    check_no_update_written("menu, status 500")


def case_menu_ten_megabytes():
    before = menu_check(reply=f"1#{updates.setup_url(server)}", big=BIG_REPLY)
    start = time.monotonic()
    box = session.wait_for_box(winetest.TITLE, LATEST_TEXT, NET_BOUND_S)
    print(f"  menu, a 10 MB reply: the already-latest box after {time.monotonic() - start:.1f} s")
    server.control(big=0)
    session.click_button(box["hwnd"], IDOK)
    wait_for_check_end(before, "a 10 MB reply")
    check(not any(r.startswith("/files/") for r in server.requests()[before:]), "an update was downloaded")
    check_usable("menu, 10 MB")
    check_no_update_written("menu, 10 MB")


def case_menu_version_beyond_32_bits_is_newer():
    before = menu_check(reply=f"99999999999#{updates.setup_url(server)}")
    winetest.wait_until(lambda: os.path.exists(updates.update_dir(session, MARKER)), NET_BOUND_S, "the update to run")
    wait_for_check_end(before, "version 99999999999")
    check(updates.downloaded_is_served(session, server), "the file in the update folder is not the update served")
    check_usable("menu, version 99999999999")
    updates.clear_update_dir(session)


def case_menu_negative_versions_are_older():
    for version in ("-1", "-99999999999"):
        before = menu_check(reply=f"{version}#{updates.setup_url(server)}")
        box = session.wait_for_box(winetest.TITLE, LATEST_TEXT, NET_BOUND_S)
        session.click_button(box["hwnd"], IDOK)
        wait_for_check_end(before, f"version {version}")
        fetched = server.requests()[before:]
        check(fetched == [VERSION_QUERY, UPDATE_EXE_REQUEST], f"version {version}: requests {fetched}")
        check_usable(f"menu, version {version}")
        check_no_update_written(f"menu, version {version}")


def case_menu_url_without_slash():
    for url in (SETUP, f"http:{SETUP}"):
        before = menu_check(reply=f"2#{url}")
        box = session.wait_for_box(winetest.TITLE, updates.DOWNLOAD_TEXT, NET_BOUND_S)
        session.click_button(box["hwnd"], IDOK)
        wait_for_check_end(before, f"the URL {url!r}")
        time.sleep(1.0)
        fetched = server.requests()[before:]
        check(fetched == [VERSION_QUERY, UPDATE_EXE_REQUEST], f"URL {url!r}: requests {fetched}")
        check_usable(f"menu, URL {url!r}")
        check_no_update_written(f"menu, URL {url!r}")


def main():
    global session, server, exe, files_before
    with updates.installed("faults-net") as (s, served, installed):
        session, server, exe = s, served, installed
        files_before = scenario.drive_c_files(s)
        # Wine's server and desktop started first, by a command whose
        # output is a file: started by a probe, they would hold its pipe
        # open and the probe's reader would wait for them.
        subprocess.run(["wineserver", "-p"], env=s.env, timeout=30)
        scenario.wine(s, os.path.join(winetest.BUILD, "winprobe.exe"), "--list")
        winetest.run([
            ("start-up, reply stalls half-way: the error box, then the window", case_start_up_stalled_reply),
            ("start-up, connection reset: the error box, then the window", case_start_up_reset),
            ("menu, reset or stalled reply: the error box, window usable", case_menu_connection_faults),
            ("menu, status 500: nothing written, the download box", case_menu_status_500),
            ("menu, a 10 MB reply: bounded, read as version 1", case_menu_ten_megabytes),
            ("menu, a version beyond 32 bits is newer: downloaded and opened",
             case_menu_version_beyond_32_bits_is_newer),
            ("menu, negative versions are older: nothing fetched", case_menu_negative_versions_are_older),
            ("menu, a URL without '/': nothing fetched or written, the download box",
             case_menu_url_without_slash),
        ])


if __name__ == "__main__":
    main()
