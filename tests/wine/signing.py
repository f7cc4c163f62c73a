"""Test certificates and Authenticode signatures, made at test time with
Debian's openssl and osslsigncode, and a test root that only the test's own
Wine prefix trusts.

The root is put into the prefix's machine Root store the way Windows keeps
it: HKLM\\Software\\Microsoft\\SystemCertificates\\ROOT\\Certificates\\<SHA-1
of the certificate>, value Blob, holding the certificate as a serialized
store element (property 32, CERT_CERT_PROP_ID: the DER encoding). Wine 8's
chain engine reads that key.
"""
import hashlib
import os
import shutil
import struct
import subprocess

from winetest import check

ROOT_STORE = r"HKLM\Software\Microsoft\SystemCertificates\ROOT\Certificates"
CERT_CERT_PROP_ID = 32
X509_ASN_ENCODING = 1

LEAF_EXTENSIONS = """basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning
subjectKeyIdentifier=hash
authorityKeyIdentifier=keyid
"""


def _run(*argv):
    done = subprocess.run(list(argv), stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    check(done.returncode == 0, f"{argv[0]} failed: {done.stderr.decode(errors='replace')[-400:]}")
    return done.stdout


class TestPki:
    """A root "Kestravin Test Root" and code-signing certificates issued by it, in `folder`."""

    def __init__(self, folder):
        for tool in ("openssl", "osslsigncode"):
            check(shutil.which(tool), f"{tool} is not installed (tools/setup.sh installs it)")
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.root_key, self.root_pem = self._path("root.key"), self._path("root.pem")
        _run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", self.root_key,
             "-out", self.root_pem, "-days", "30", "-subj", "/CN=Kestravin Test Root",
             "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
        with open(self._path("leaf.cnf"), "w") as f:
            f.write(LEAF_EXTENSIONS)
        self._serial = 1

    def _path(self, name):
        return os.path.join(self.folder, name)

    def issue(self, common_name):
        """A code-signing certificate with subject CN `common_name`; returns (certificate, key) paths."""
        self._serial += 1
        stem = self._path(f"leaf{self._serial}")
        _run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", stem + ".key", "-out", stem + ".csr",
             "-subj", f"/CN={common_name}")
        _run("openssl", "x509", "-req", "-in", stem + ".csr", "-CA", self.root_pem, "-CAkey", self.root_key,
             "-set_serial", str(self._serial), "-days", "30", "-extfile", self._path("leaf.cnf"),
             "-out", stem + ".pem")
        return stem + ".pem", stem + ".key"

    def sign(self, source, target, common_name, issued=None):
        """Copies the program `source` to `target`, Authenticode-signed (SHA-256) by a certificate
        for `common_name` (or by `issued`, a (certificate, key) pair of issue()); returns the pair."""
        cert, key = issued or self.issue(common_name)
        if os.path.exists(target):
            os.remove(target)  # osslsigncode writes only a new file
        _run("osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256", "-in", source, "-out", target)
        # The signature is what the test says it is.
        _run("osslsigncode", "verify", "-CAfile", self.root_pem, "-in", target)
        return cert, key

    def root_der(self):
        return _run("openssl", "x509", "-in", self.root_pem, "-outform", "DER")

    def trust_root(self, session):
        """Adds the root to the session prefix's machine Root store."""
        der = self.root_der()
        blob = struct.pack("<III", CERT_CERT_PROP_ID, X509_ASN_ENCODING, len(der)) + der
        key = ROOT_STORE + "\\" + hashlib.sha1(der).hexdigest().upper()
        code, out = session.reg("add", key, "/v", "Blob", "/t", "REG_BINARY", "/d", blob.hex(), "/f")
        check(code == 0, f"reg add of the test root failed ({code}): {out!r}")


def thumbprint(cert):
    """The SHA-256 thumbprint of a PEM certificate, as the program's pins spell it (64 upper-case hex digits)."""
    return hashlib.sha256(_run("openssl", "x509", "-in", cert, "-outform", "DER")).hexdigest().upper()


VS_FIXEDFILEINFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def set_file_version(path, version):
    """Rewrites the file and product version of the program's version resource (VS_FIXEDFILEINFO)
    to `version`, four numbers; done before signing, as a build would."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = data.find(VS_FIXEDFILEINFO_SIGNATURE)
    check(at > 0 and data.find(VS_FIXEDFILEINFO_SIGNATURE, at + 4) < 0, f"not one version resource in {path}")
    a, b, c, d = version
    most, least = (a << 16) | b, (c << 16) | d
    # signature, structure version, then file version (MS, LS) and product version (MS, LS)
    struct.pack_into("<IIII", data, at + 8, most, least, most, least)
    with open(path, "wb") as f:
        f.write(data)


def change_after_signing(path):
    """Changes one byte that the signature covers (a letter of the DOS stub's message): the program still runs."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = data.find(b"This program cannot be run in DOS mode")
    check(at > 0, f"no DOS stub message in {path}")
    data[at] = ord("t")
    with open(path, "wb") as f:
        f.write(data)
