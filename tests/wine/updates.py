"""What the version-check tests share: the program installed in C:\\Kestravin,
a stand-in server that offers a small program (tests/probes/fake_update.cpp)
as the update, and the boxes and requests the check makes.
"""
import contextlib
import os

import product
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
VERSION_QUERY = "/kestravin/update/ver.php"
UPDATE_EXE_REQUEST = winetest.usage_request("update_exe")


@contextlib.contextmanager
def installed(name, server_in_env=True):
    """A served session (winetest.served_session) whose stand-in offers the
    update as /files/SETUP, with the program copied into C:\\APP_FOLDER;
    yields (session, server, the program's Windows path)."""
    with winetest.served_session(name, files={SETUP: UPDATE_PROGRAM}, server_in_env=server_in_env) as (s, server):
        yield s, server, s.install(APP_FOLDER)


def app_dir(session, *name):
    """A path in the program's folder."""
    return session.drive_c(APP_FOLDER, *name)


def setup_url(server):
    return f"{server.base}/files/{SETUP}"


def downloaded_is_served(session):
    """True when the program's folder holds exactly the update the server offered."""
    with open(app_dir(session, SETUP), "rb") as got, \
            open(os.path.join(winetest.BUILD, UPDATE_PROGRAM), "rb") as sent:
        return got.read() == sent.read()
