"""What the version-check tests share: the program installed in C:\\Kestravin,
a stand-in server that offers a small program (tests/probes/fake_update.cpp)
as the update, signed by "Kestravin" under a test root that only the
session's prefix trusts (tests/wine/signing.py), and the boxes and requests
the check makes.

The program installed is the build's test copy (test-signer/Kestravin.exe):
the same program, whose table of the maker's certificates also takes the
thumbprint in KESTRAVIN_TEST_SIGNER, here the certificate made for the
session. Updates are downloaded into a folder of the program's own below the
user's local application data (update_dir), never beside the program.
"""
import contextlib
import os
import re

import product
import signing
import winetest

APP_FOLDER = "Kestravin"
SETUP = "KestravinSetup.exe"
MARKER = "update-ran.txt"  # written by the update when it runs
UPDATE_PROGRAM = "fake_update.exe"
CHECK_VERSION = product.resource_id("ID_CHECK_VERSION")
EXIT = product.resource_id("ID_EXIT")
IDOK = 1
LATEST_TEXT = product.text("kTextAlreadyLatest")
ERROR_TEXT = product.text("kTextConnectionError")
ERROR_CAPTION = product.text("kCaptionConnectionError")
DOWNLOAD_TEXT = product.text("kTextDownloadFailed")
UNSIGNED_TEXT = product.text("kTextUpdateUnsigned")
VERSION_QUERY = "/kestravin/update/ver.php"
UPDATE_EXE_REQUEST = winetest.usage_request("update_exe")
TEST_PROGRAM = os.path.join("test-signer", "Kestravin.exe")
TEST_SIGNER_ENV = "KESTRAVIN_TEST_SIGNER"


def program_version():
    """The program's own FILEVERSION (ui/Kestravin.rc), four numbers."""
    with open(os.path.join(winetest.REPO, "ui", "Kestravin.rc"), encoding="utf-8") as f:
        found = re.search(r"^\s*FILEVERSION\s+(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", f.read(), re.MULTILINE)
    return tuple(int(n) for n in found.groups())


@contextlib.contextmanager
def installed(name, server_in_env=True):
    """A served session (winetest.served_session) whose stand-in offers the
    update as /files/SETUP, with the program copied into C:\\APP_FOLDER;
    yields (session, server, the program's Windows path)."""
    with winetest.served_session(name, files={SETUP: UPDATE_PROGRAM}, server_in_env=server_in_env) as (s, server):
        pki = signing.TestPki(os.path.join(s.prefix, "test-pki"))
        issued = pki.sign(os.path.join(winetest.BUILD, UPDATE_PROGRAM), served_file(server, SETUP), "Kestravin")
        pki.trust_root(s)
        pin(s, issued)
        yield s, server, install(s)


def install(session):
    """The test copy of the program in C:\\APP_FOLDER as Kestravin.exe; returns its Windows path."""
    return session.install(APP_FOLDER, source=TEST_PROGRAM)


def pin(session, issued):
    """Makes the certificate of `issued` (signing.TestPki.issue) the maker's for the session's programs."""
    session.env[TEST_SIGNER_ENV] = signing.thumbprint(issued[0])


def served_file(server, name):
    """The file the stand-in offers as /files/<name> (served_session keeps them beside its log)."""
    return os.path.join(os.path.dirname(server.log), "files", name)


def app_dir(session, *name):
    """A path in the program's folder."""
    return session.drive_c(APP_FOLDER, *name)


def local_app_data(session):
    """The prefix user's local application data folder."""
    users = session.drive_c("users")
    for user in sorted(os.listdir(users)):
        path = os.path.join(users, user, "AppData", "Local")
        if user.lower() != "public" and os.path.isdir(path):
            return path
    winetest.check(False, f"no user's AppData\\Local below {users}")


def update_dir(session, *name):
    """A path in the folder updates are downloaded to."""
    return os.path.join(local_app_data(session), "Kestravin", "Updates", *name)


def update_files(session):
    """Names of the files in the update folder."""
    folder = update_dir(session)
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def clear_update_dir(session):
    """Removes what earlier cases downloaded, so the next case starts from an empty folder."""
    for name in update_files(session):
        os.remove(update_dir(session, name))


def ran_as(session):
    """The Windows path the update ran as (the first line of its marker), lower case."""
    with open(update_dir(session, MARKER), encoding="utf-8", errors="replace") as f:
        return f.readline().strip().lower()


def ran_from_update_dir(session, name=SETUP):
    """True when the update ran as `name` in the update folder."""
    return ran_as(session).endswith("\\appdata\\local\\kestravin\\updates\\" + name.lower())


def setup_url(server):
    return f"{server.base}/files/{SETUP}"


def downloaded_is_served(session, server):
    """True when the update that ran is byte for byte the update the server offered."""
    ran = ran_as(session).rsplit("\\", 1)[-1]
    name = next((n for n in update_files(session) if n.lower() == ran), None)
    if name is None:
        return False
    with open(update_dir(session, name), "rb") as got, open(served_file(server, SETUP), "rb") as sent:
        return got.read() == sent.read()
