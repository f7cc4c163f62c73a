#!/usr/bin/python3
"""Only a newer release signed with the maker's own certificate is started, under Wine.

The test makes a root certificate and code-signing certificates with openssl,
signs copies of the fake update (tests/probes/fake_update.cpp, which leaves
update-ran.txt beside itself when it runs) with osslsigncode, and makes the
prefix trust that root; nothing outside the prefix trusts it. One of its
certificates is the maker's for the test copy of the program
(updates.install, updates.pin).

Start-up with an unsigned update announced: downloaded, deleted, not opened,
no box. From the menu: an unsigned update, one signed under the test root by
another name, one signed by "Kestravin" under a root the prefix does not
trust, one signed by "Kestravin" under the test root with a certificate that
is not the pinned one, one signed with the pinned certificate and changed
afterwards, and the pinned certificate's signature on an older and on an
equal version are each downloaded into the update folder, deleted there, not
started, and the box says so; an update that cannot be downloaded gives the
download box; the pinned certificate's newer release is started from the
update folder, with no box.
"""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import signing  # noqa: E402
import winetest  # noqa: E402
import updates  # noqa: E402
from updates import (APP_FOLDER, CHECK_VERSION, DOWNLOAD_TEXT, IDOK, MARKER, SETUP, UNSIGNED_TEXT,  # noqa: E402
                     UPDATE_EXE_REQUEST as UPDATE_EXE_COUNT, UPDATE_PROGRAM)
from winetest import check  # noqa: E402

SIGNED = SETUP
UNSIGNED = "UnsignedSetup.exe"
OTHER_NAME = "OtherSetup.exe"
UNTRUSTED = "UntrustedSetup.exe"
CHANGED = "ChangedSetup.exe"
MISSING = "MissingSetup.exe"
NOT_PINNED = "NotPinnedSetup.exe"
OLDER = "OlderSetup.exe"
EQUAL = "EqualSetup.exe"

session = None
server = None
exe = None
main_hwnd = None


def app_dir(*name):
    return session.drive_c(APP_FOLDER, *name)


def boxes():
    return session.boxes()


def announce(name):
    server.control(reply=f"2#{server.base}/files/{name}")


def check_refused(name, fetched):
    check(f"/files/{name}" in fetched, f"{name} was not downloaded: {fetched}")
    check(updates.update_files(session) == [], f"the refused {name} was left: {updates.update_files(session)}")
    check(sorted(os.listdir(app_dir())) == ["Kestravin.exe"], f"written beside the program: {os.listdir(app_dir())}")


def menu_check_with_box(name, text):
    """The menu command with `name` announced; waits for the box `text`, confirms it; returns the requests."""
    announce(name)
    before = len(server.requests())
    session.click_button(main_hwnd, CHECK_VERSION)
    box = session.wait_for_window(f"the box {text!r} for {name}",
                                  lambda w: w["title"] == winetest.TITLE and w["text"] == text, 60)
    check(box["cls"] == "#32770", f"the box is a {box['cls']}")
    session.click_button(box["hwnd"], IDOK)
    winetest.wait_until(lambda: UPDATE_EXE_COUNT in server.requests()[before:], 30, "the update_exe request")
    return server.requests()[before:]


def case_unsigned_at_start_up_is_deleted_silently():
    global main_hwnd
    announce(UNSIGNED)
    session.start_at(exe, env={"KESTRAVIN_SERVER": server.base})
    main = session.wait_for_main(timeout=60)
    main_hwnd = main["hwnd"]
    winetest.wait_until(lambda: "/request/count.php?mode=run&key=kestravin" in server.requests(), 30,
                        "the start-up request")
    check_refused(UNSIGNED, server.requests())
    check(not boxes(), f"a box was shown at start-up: {boxes()}")


def case_menu_unsigned_is_refused():
    check_refused(UNSIGNED, menu_check_with_box(UNSIGNED, UNSIGNED_TEXT))


def case_menu_other_signer_is_refused():
    check_refused(OTHER_NAME, menu_check_with_box(OTHER_NAME, UNSIGNED_TEXT))


def case_menu_untrusted_root_is_refused():
    check_refused(UNTRUSTED, menu_check_with_box(UNTRUSTED, UNSIGNED_TEXT))


def case_menu_changed_after_signing_is_refused():
    check_refused(CHANGED, menu_check_with_box(CHANGED, UNSIGNED_TEXT))


def case_menu_not_the_pinned_certificate_is_refused():
    check_refused(NOT_PINNED, menu_check_with_box(NOT_PINNED, UNSIGNED_TEXT))


def case_menu_older_release_is_refused():
    check_refused(OLDER, menu_check_with_box(OLDER, UNSIGNED_TEXT))


def case_menu_equal_release_is_refused():
    check_refused(EQUAL, menu_check_with_box(EQUAL, UNSIGNED_TEXT))


def case_menu_failed_download_says_so():
    fetched = menu_check_with_box(MISSING, DOWNLOAD_TEXT)
    check(f"/files/{MISSING}" in fetched, f"no download was tried: {fetched}")
    check(updates.update_files(session) == [], f"an error page was saved as the update: {updates.update_files(session)}")


def case_menu_signed_by_the_maker_is_opened():
    announce(SIGNED)
    before = len(server.requests())
    session.click_button(main_hwnd, CHECK_VERSION)
    winetest.wait_until(lambda: os.path.exists(updates.update_dir(session, MARKER)), 60, "the signed update to run")
    winetest.wait_until(lambda: UPDATE_EXE_COUNT in server.requests()[before:], 30, "the update_exe request")
    check(updates.ran_from_update_dir(session, SIGNED), f"the update ran as {updates.ran_as(session)!r}")
    check(not boxes(), f"a box was shown for a signed update: {boxes()}")


def main():
    global session, server, exe
    workdir = tempfile.mkdtemp(prefix="kv-signed-")
    files = os.path.join(workdir, "files")
    os.makedirs(files)
    update = os.path.join(winetest.BUILD, UPDATE_PROGRAM)
    pki = signing.TestPki(os.path.join(workdir, "pki"))
    makers = pki.sign(update, os.path.join(files, SIGNED), "Kestravin")
    pki.sign(update, os.path.join(files, OTHER_NAME), "Kestravin Software")
    pki.sign(update, os.path.join(files, NOT_PINNED), "Kestravin")  # a certificate of its own
    pki.sign(update, os.path.join(files, CHANGED), "Kestravin", makers)
    signing.change_after_signing(os.path.join(files, CHANGED))
    own = updates.program_version()
    for name, version in ((OLDER, own[:3] + (own[3] - 1,)), (EQUAL, own)):
        unsigned = os.path.join(workdir, name)
        shutil.copy2(update, unsigned)
        signing.set_file_version(unsigned, version)
        pki.sign(unsigned, os.path.join(files, name), "Kestravin", makers)
    shutil.copy2(update, os.path.join(files, UNSIGNED))
    # The maker's name, under a root that the prefix does not trust.
    signing.TestPki(os.path.join(workdir, "pki-untrusted")).sign(update, os.path.join(files, UNTRUSTED), "Kestravin")
    server = winetest.StandIn(workdir, "--files", files)
    try:
        with winetest.Session() as s:
            session = s
            pki.trust_root(s)
            updates.pin(s, makers)
            exe = updates.install(s)
            winetest.run([
                ("start-up, unsigned update: downloaded, deleted, not opened, no box",
                 case_unsigned_at_start_up_is_deleted_silently),
                ("menu, unsigned update: deleted, not opened, the signature box", case_menu_unsigned_is_refused),
                ("menu, signed under the test root by another name: refused", case_menu_other_signer_is_refused),
                ("menu, signed by Kestravin under a root the prefix does not trust: refused",
                 case_menu_untrusted_root_is_refused),
                ("menu, signed by Kestravin under the test root, not the pinned certificate: refused",
                 case_menu_not_the_pinned_certificate_is_refused),
                ("menu, signed with the pinned certificate and changed after signing: refused",
                 case_menu_changed_after_signing_is_refused),
                ("menu, the pinned certificate on an older release: refused", case_menu_older_release_is_refused),
                ("menu, the pinned certificate on the running release: refused", case_menu_equal_release_is_refused),
                ("menu, update not downloadable: the download box", case_menu_failed_download_says_so),
                ("menu, a newer release signed with the pinned certificate: started",
                 case_menu_signed_by_the_maker_is_opened),
            ])
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
