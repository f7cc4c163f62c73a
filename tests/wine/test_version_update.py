#!/usr/bin/python3
"""The version check under Wine, against the stand-in server.

One prefix, two program starts:
  1. the server's port is closed: the connection-error box comes before the
     main window, and the window follows once it is confirmed;
  2. the server announces version 2 with a small program as the update: it
     is downloaded into the program's directory and opened before the window
     appears, from a folder of the program's own below the user's local
     application data. Then the menu command "최신버전 확인" (32772) with other replies:
     version 1 shows the "already latest" box; with a server that accepts and
     never answers, the window goes on answering while the check waits, a
     second command meanwhile starts no second check, and the check's boxes
     follow when it gives up; an empty reply or one without "#" never
     updates; update names that would leave the program's directory are
     never fetched or written; an update named like a file beside the
     program (notes.txt, Kestravin.exe) leaves that file byte for byte as it
     was; version 2 again downloads and opens.

From the menu the exchange runs off the window's thread and its boxes come
when it is over, so the update_exe usage request arrives before the box.
"""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402
import updates  # noqa: E402
import winetest  # noqa: E402
from updates import (APP_FOLDER, CHECK_VERSION, ERROR_CAPTION, ERROR_TEXT, EXIT, IDOK,  # noqa: E402
                     LATEST_TEXT, MARKER, UNSIGNED_TEXT, UPDATE_EXE_REQUEST, UPDATE_PROGRAM, VERSION_QUERY)
from winetest import check  # noqa: E402


session = None
server = None
exe = None
main_hwnd = None


def files_of_drive_c():
    found = set()
    for root, _, names in os.walk(session.drive_c()):
        found.update(os.path.join(root, n) for n in names)
    return found


def check_latest_from_menu(reply):
    """Menu command with `reply` served: the "already latest" box, and nothing fetched but the query."""
    server.control(reply=reply)
    before = len(server.requests())
    session.click_button(main_hwnd, CHECK_VERSION)
    box = session.wait_for_box(winetest.TITLE, LATEST_TEXT)
    after = server.requests()[before:]
    check(after == [VERSION_QUERY, UPDATE_EXE_REQUEST], f"requests before the box was confirmed: {after}")
    session.click_button(box["hwnd"], IDOK)
    winetest.wait_until(lambda: not session.boxes(), 20, "the box to go")
    check(server.requests()[before:] == after, f"requests after the box: {server.requests()[before + 2:]}")


def case_server_down_box_before_window():
    global main_hwnd
    proc = session.start_at(exe, env={"KESTRAVIN_SERVER": winetest.closed_port_url()})
    box = session.wait_for_box(ERROR_CAPTION, ERROR_TEXT, timeout=60)
    check(box["cls"] == "#32770", f"the connection-error box is a {box['cls']}")
    check(not any(winetest.is_main_window(w) for w in session.windows()),
          "the main window shows beside the start-up box")
    session.click_button(box["hwnd"], IDOK)
    main = session.wait_for_window("the main window after the box", winetest.is_main_window)
    time.sleep(1.0)
    check(not session.boxes(), f"another box followed: {session.windows()}")
    session.click_button(main["hwnd"], EXIT)
    # Wholly gone, or the next start would meet it as a first instance.
    winetest.wait_until(lambda: proc.poll() is not None, 30, "the program to exit")


def case_newer_version_at_start_up_updates_before_window():
    global main_hwnd
    server.control(reply=f"2#{updates.setup_url(server)}")
    session.start_at(exe, env={"KESTRAVIN_SERVER": server.base})
    winetest.wait_until(lambda: os.path.exists(updates.update_dir(session, MARKER)), 60, "the downloaded update to run")
    main = session.wait_for_window("the main window", winetest.is_main_window, timeout=60)
    main_hwnd = main["hwnd"]
    check(updates.downloaded_is_served(session, server), "the file in the update folder is not the update served")
    check(updates.ran_from_update_dir(session), f"the update ran as {updates.ran_as(session)!r}")
    check(sorted(os.listdir(updates.app_dir(session))) == ["Kestravin.exe"],
          f"written beside the program: {os.listdir(updates.app_dir(session))}")
    order = [r for r in server.requests() if r.startswith(("/kestravin/", "/files/", "/request/"))]
    check(order[:3] == [VERSION_QUERY, f"/files/{updates.SETUP}", winetest.usage_request("run")],
          f"start-up requests in this order: {order}")
    check(not session.boxes(), "a box was shown for the silent start-up check")


def case_menu_version_one_is_latest():
    check_latest_from_menu(f"1#{updates.setup_url(server)}")


def case_menu_silent_server_window_answers():
    # The last reply was version 1: after the connection error the check goes
    # on with it and says so.
    server.control(silent=1)
    before = len(server.requests())
    try:
        session.click_button(main_hwnd, CHECK_VERSION)
        winetest.wait_until(lambda: VERSION_QUERY in server.requests()[before:], 20, "the version query")
        check(scenario.answers(session, main_hwnd, 1000), "the window does not answer while the check waits")
        session.click_button(main_hwnd, CHECK_VERSION)  # ignored: one check at a time
        check(scenario.answers(session, main_hwnd, 1000), "the window stopped answering after a second command")
        check(not session.boxes(), f"a box while the check still waits: {session.windows()}")
        box = session.wait_for_box(ERROR_CAPTION, ERROR_TEXT, timeout=60)
    finally:
        server.control(silent=0)
    check(server.requests()[before:] == [VERSION_QUERY, UPDATE_EXE_REQUEST],
          f"requests of the two commands: {server.requests()[before:]}")
    session.click_button(box["hwnd"], IDOK)
    box = session.wait_for_box(winetest.TITLE, LATEST_TEXT)
    session.click_button(box["hwnd"], IDOK)
    winetest.wait_until(lambda: not session.boxes(), 20, "the boxes to go")
    # The check is over: the command works again.
    check_latest_from_menu(f"1#{updates.setup_url(server)}")


def case_menu_empty_or_no_hash_never_updates():
    # An empty reply keeps the last one (version 1): still the latest.
    check_latest_from_menu("")
    # Without "#" the version counts as 0, whatever the digits.
    check_latest_from_menu(f"7{updates.setup_url(server)}")


def case_menu_refused_names_write_nothing():
    updates.clear_update_dir(session)
    before_files = files_of_drive_c()
    for name in ["..%5C..%5Cevil.exe", "files/sub%5Cevil.exe", "files\\evil\\", "files/.."]:
        before = len(server.requests())
        server.control(reply=f"2#{server.base}/{name}")
        session.click_button(main_hwnd, CHECK_VERSION)
        box = session.wait_for_box(winetest.TITLE, updates.DOWNLOAD_TEXT)
        check(server.requests()[before:] == [VERSION_QUERY, UPDATE_EXE_REQUEST],
              f"{name!r}: requests before the box was confirmed: {server.requests()[before:]}")
        session.click_button(box["hwnd"], IDOK)
        winetest.wait_until(lambda: not session.boxes(), 20, f"the box for {name!r} to go")
        fetched = server.requests()[before:]
        check(fetched == [VERSION_QUERY, UPDATE_EXE_REQUEST],
              f"{name!r}: requests {fetched}")
        check(not session.boxes(), f"{name!r}: another box followed")
    new_files = sorted(files_of_drive_c() - before_files)
    check(not [f for f in new_files if "evil" in f.lower() or f.startswith(updates.app_dir(session))
               or f.startswith(updates.update_dir(session))],
          f"files written: {new_files}")


def menu_box(reply, text):
    """The menu command with `reply` served; confirms the box `text`; returns the requests it made."""
    before = len(server.requests())
    server.control(reply=reply)
    session.click_button(main_hwnd, CHECK_VERSION)
    box = session.wait_for_box(winetest.TITLE, text, timeout=60)
    session.click_button(box["hwnd"], IDOK)
    winetest.wait_until(lambda: not session.boxes(), 20, "the box to go")
    winetest.wait_until(lambda: UPDATE_EXE_REQUEST in server.requests()[before:], 30, "the update_exe request")
    return server.requests()[before:]


def case_menu_names_of_files_beside_the_program_leave_them_as_they_were():
    updates.clear_update_dir(session)
    notes = updates.app_dir(session, "notes.txt")
    with open(notes, "wb") as f:
        f.write("사용자의 메모\r\n".encode("cp949"))
    program = updates.app_dir(session, "Kestravin.exe")
    kept = {path: open(path, "rb").read() for path in (notes, program)}
    with open(updates.served_file(server, "notes.txt"), "wb") as f:
        f.write(b"served in place of the user's notes\r\n")
    # An unsigned program under the program's own name.
    shutil.copy2(os.path.join(winetest.BUILD, UPDATE_PROGRAM), updates.served_file(server, "Kestravin.exe"))

    fetched = menu_box(f"2#{server.base}/files/notes.txt", updates.DOWNLOAD_TEXT)
    check(fetched == [VERSION_QUERY, UPDATE_EXE_REQUEST], f"notes.txt: requests {fetched}")

    fetched = menu_box(f"2#{server.base}/files/Kestravin.exe", UNSIGNED_TEXT)
    check("/files/Kestravin.exe" in fetched, f"Kestravin.exe was not downloaded: {fetched}")
    check(updates.update_files(session) == [], f"the refused download was left: {updates.update_files(session)}")

    for path, data in kept.items():
        with open(path, "rb") as f:
            check(f.read() == data, f"{path} changed")
    check(sorted(os.listdir(updates.app_dir(session))) == ["Kestravin.exe", "notes.txt"],
          f"the program's folder holds {os.listdir(updates.app_dir(session))}")
    os.remove(notes)


def case_menu_newer_version_downloads_and_opens():
    before = len(server.requests())
    server.control(reply=f"2#{updates.setup_url(server)}")
    session.click_button(main_hwnd, CHECK_VERSION)
    winetest.wait_until(lambda: os.path.exists(updates.update_dir(session, MARKER)), 60, "the update to run from the menu")
    winetest.wait_until(lambda: UPDATE_EXE_REQUEST in server.requests()[before:],
                        30, "the update_exe usage request")
    check(updates.ran_from_update_dir(session), f"the update ran as {updates.ran_as(session)!r}")
    check(server.requests()[before:before + 2] == [VERSION_QUERY, f"/files/{updates.SETUP}"],
          f"requests: {server.requests()[before:]}")
    check(not session.boxes(), "a box was shown although an update was found")


def main():
    global session, server, exe
    with updates.installed("version", server_in_env=False) as (s, served, installed):
        session, server, exe = s, served, installed
        winetest.run([
            ("server down: the connection-error box, then the window", case_server_down_box_before_window),
            ("version 2 at start-up: update downloaded and opened before the window",
             case_newer_version_at_start_up_updates_before_window),
            ("menu, version 1: the already-latest box, nothing downloaded", case_menu_version_one_is_latest),
            ("menu, silent server: the window answers, one check, its boxes when it gives up",
             case_menu_silent_server_window_answers),
            ("menu, empty reply or no '#': never an update", case_menu_empty_or_no_hash_never_updates),
            ("menu, names leaving the directory: nothing fetched or written, the download box",
             case_menu_refused_names_write_nothing),
            ("menu, updates named like files beside the program: those files stay as they were",
             case_menu_names_of_files_beside_the_program_leave_them_as_they_were),
            ("menu, version 2: update downloaded and opened", case_menu_newer_version_downloads_and_opens),
        ])


if __name__ == "__main__":
    main()
