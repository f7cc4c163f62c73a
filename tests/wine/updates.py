"""What the version-check tests share: the program installed in C:\\Kestravin,
a stand-in server that offers a small program (tests/probes/fake_update.cpp)
as the update, signed by "Kestravin" under a test root that only the
session's prefix trusts (tests/wine/signing.py), and the boxes and requests
the check makes.
"""
import contextlib
import os

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


@contextlib.contextmanager
def installed(name, server_in_env=True):
    """A served session (winetest.served_session) whose stand-in offers the
    update as /files/SETUP, with the program copied into C:\\APP_FOLDER;
    yields (session, server, the program's Windows path)."""
    with winetest.served_session(name, files={SETUP: UPDATE_PROGRAM}, server_in_env=server_in_env) as (s, server):
        pki = signing.TestPki(os.path.join(s.prefix, "test-pki"))
        pki.sign(os.path.join(winetest.BUILD, UPDATE_PROGRAM), served_file(server, SETUP), "Kestravin")
        pki.trust_root(s)
        yield s, server, s.install(APP_FOLDER)


def served_file(server, name):
    """The file the stand-in offers as /files/<name> (served_session keeps them beside its log)."""
    return os.path.join(os.path.dirname(server.log), "files", name)


def app_dir(session, *name):
    """A path in the program's folder."""
    return session.drive_c(APP_FOLDER, *name)


def setup_url(server):
    return f"{server.base}/files/{SETUP}"


def downloaded_is_served(session, server):
    """True when the program's folder holds exactly the update the server offered."""
    with open(app_dir(session, SETUP), "rb") as got, open(served_file(server, SETUP), "rb") as sent:
        return got.read() == sent.read()
