"""The release package of the i686 build: builds it (`cmake --build BUILD
--target package`), checks the zip's file list and that what it holds is the
build's own files, byte for byte; then packs again with a throw-away signing
certificate in DV_SIGN_CERT / DV_SIGN_KEY and verifies the Authenticode
signatures of the packed programs against that certificate's CA.

DV_PACKAGE_BUILD names the build folder (default: build/win32 of the source).
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

SOURCE = os.path.realpath(os.environ.get("DV_SOURCE", os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD = os.path.realpath(os.environ.get("DV_PACKAGE_BUILD") or os.path.join(SOURCE, "build", "win32"))
TOP = "DocViewer-2.00-win32/"
ZIP = os.path.join(BUILD, "DocViewer-2.00-win32.zip")


def manuals():
    with open(os.path.join(SOURCE, "disc", "doc.ini"), "rb") as f:
        return [line.split(b"=")[0].decode() for line in f.read().split(b"\r\n") if line]


def unsigned_env():
    env = dict(os.environ)
    env.pop("DV_SIGN_CERT", None)
    env.pop("DV_SIGN_KEY", None)
    return env


def run(args, env=None, cwd=None):
    done = subprocess.run(args, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, timeout=600)
    return done.returncode, done.stdout.decode("utf-8", "replace")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def files_of(zip_path):
    with zipfile.ZipFile(zip_path) as z:
        return {i.filename[len(TOP):]: z.read(i) for i in z.infolist()
                if not i.is_dir() and i.filename.startswith(TOP)}, [i.filename for i in z.infolist()]


def pe_machine(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0"
    return struct.unpack_from("<H", data, pe + 4)[0]


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(os.path.join(BUILD, "CMakeCache.txt")):
            raise unittest.SkipTest("no i686 build at %s (scripts/setup.sh builds it)" % BUILD)
        rc, out = run(["cmake", "--build", BUILD, "--target", "package"], env=unsigned_env())
        if rc != 0:
            raise AssertionError("package target failed:\n" + out)
        cls.files, cls.names = files_of(ZIP)

    def test_file_list(self):
        expected = {"GUIDE.TXT", "disc/DOCVIEW.EXE", "disc/ENGINE.LOC", "disc/doc/doc.ini",
                    "source/engine_loc.txt", "tools/mkloc.exe", "tools/disccheck.exe", "tools/standin.exe"}
        expected |= {"disc/doc/" + name for name in manuals()}
        self.assertEqual(set(self.files), expected)
        # Everything under one top folder; no stand-in installers anywhere.
        self.assertTrue(all(n.startswith(TOP) for n in self.names), self.names)
        self.assertFalse([n for n in self.names if "acrowin" in n.lower()])

    def test_contents_are_the_builds_own(self):
        same = [("disc/DOCVIEW.EXE", os.path.join(BUILD, "DOCVIEW.EXE")),
                ("disc/ENGINE.LOC", os.path.join(BUILD, "disc", "ENGINE.LOC")),
                ("tools/mkloc.exe", os.path.join(BUILD, "bin", "mkloc.exe")),
                ("tools/disccheck.exe", os.path.join(BUILD, "bin", "disccheck.exe")),
                ("tools/standin.exe", os.path.join(BUILD, "standin.exe")),
                ("disc/doc/doc.ini", os.path.join(SOURCE, "disc", "doc.ini")),
                ("source/engine_loc.txt", os.path.join(SOURCE, "disc", "engine_loc.txt")),
                ("GUIDE.TXT", os.path.join(SOURCE, "disc", "GUIDE.TXT"))]
        for name, path in same:
            self.assertEqual(self.files[name], read(path), name + " differs from " + path)
        for name in ("disc/DOCVIEW.EXE", "tools/mkloc.exe", "tools/disccheck.exe", "tools/standin.exe"):
            self.assertEqual(pe_machine(self.files[name]), 0x14C, name + " is not an i686 program")
        for name in manuals():
            self.assertTrue(self.files["disc/doc/" + name].startswith(b"%PDF-"), name)

    def test_signed_package_verifies_against_its_ca(self):
        tmp = tempfile.mkdtemp(prefix="dvpkg-")
        try:
            ca, other_ca, cert, key = make_certificates(tmp)
            env = unsigned_env()
            env.update(DV_SIGN_CERT=cert, DV_SIGN_KEY=key)
            out_dir = os.path.join(tmp, "out")
            rc, out = run(["cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out_dir],
                          env=env, cwd=tmp)
            self.assertEqual(rc, 0, out)
            signed, _ = files_of(os.path.join(out_dir, "DocViewer-2.00-win32.zip"))
            for name in ("disc/DOCVIEW.EXE", "tools/mkloc.exe", "tools/disccheck.exe"):
                self.assertNotEqual(signed[name], self.files[name], name + " was not signed")
                path = os.path.join(tmp, os.path.basename(name))
                with open(path, "wb") as f:
                    f.write(signed[name])
                rc, out = run(["osslsigncode", "verify", "-CAfile", ca, "-in", path])
                self.assertEqual(rc, 0, out)
                self.assertIn("SHA256", out.upper())
                # The check means something: another CA does not vouch for it.
                rc, out = run(["osslsigncode", "verify", "-CAfile", other_ca, "-in", path])
                self.assertNotEqual(rc, 0, out)
            # Only the packed copies are signed; the build's files stay as built.
            self.assertEqual(read(os.path.join(BUILD, "DOCVIEW.EXE")), self.files["disc/DOCVIEW.EXE"])
        finally:
            shutil.rmtree(tmp, ignore_errors=True)


def make_certificates(tmp):
    """A throw-away CA, a second unrelated CA, and a code-signing certificate
    issued by the first (PEM files in tmp): (ca, other_ca, cert, key)."""
    def openssl(*args):
        rc, out = run(["openssl"] + list(args), cwd=tmp)
        if rc != 0:
            raise AssertionError("openssl %s failed: %s" % (args[0], out))

    for name in ("ca", "other"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".pem",
                "-days", "2", "-subj", "/CN=DocViewer test CA " + name,
                "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign")
    with open(os.path.join(tmp, "ext.cnf"), "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "sign.key", "-out", "sign.csr",
            "-subj", "/CN=DocViewer test signer")
    openssl("x509", "-req", "-in", "sign.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-set_serial", "2",
            "-days", "2", "-extfile", "ext.cnf", "-out", "sign.pem")
    return tuple(os.path.join(tmp, n) for n in ("ca.pem", "other.pem", "sign.pem", "sign.key"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
