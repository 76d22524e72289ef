"""scripts/release.sh: the zip it writes holds a kestrin.exe built for the URL it was
given and a note naming that URL, and SHA256SUMS covers the zip; a URL that Kestrin
cannot ask is refused before anything is built.

    release_test.py WORK_DIR
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import unittest
import zipfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
RELEASE = os.path.join(ROOT, "scripts", "release.sh")
URL = "http://127.0.0.1:28080/cgi-bin/ipx.cgi"
DEFAULT_HOST = "ipx.example.net"

WORK = os.path.abspath(sys.argv[1])


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as cmake:
        return re.search(r"project\(Kestrin VERSION ([0-9.]+)", cmake.read()).group(1)


def release(*arguments, folder):
    """release.sh with its build and dist folders in WORK/folder."""
    where = ["--build", os.path.join(WORK, folder, "build"),
             "--dist", os.path.join(WORK, folder, "dist")]
    return subprocess.run([RELEASE, *arguments, *where], capture_output=True, text=True,
                          check=False)


class ReleaseForOneService(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The build folder stays for the next run; the zip is made afresh.
        cls.dist = os.path.join(WORK, "release", "dist")
        shutil.rmtree(cls.dist, ignore_errors=True)
        result = release("--url", URL, folder="release")
        if result.returncode != 0:
            raise AssertionError("release.sh failed:\n" + result.stderr)
        cls.version = project_version()
        cls.zip_name = "kestrin-%s-win32.zip" % cls.version

    def test_zip_holds_the_program_built_for_the_url_and_a_note_naming_it(self):
        with zipfile.ZipFile(os.path.join(self.dist, self.zip_name)) as archive:
            self.assertEqual(sorted(archive.namelist()), ["README.txt", "kestrin.exe"])
            program = archive.read("kestrin.exe")
            note = archive.read("README.txt").decode("ascii")
        self.assertEqual(program[:2], b"MZ")
        # The URL is compiled in as a wide string literal.
        self.assertIn(URL.encode("utf-16-le"), program)
        self.assertNotIn(DEFAULT_HOST.encode("utf-16-le"), program)
        self.assertIn(URL, note)
        self.assertIn("Kestrin " + self.version, note)

    def test_sha256sums_covers_the_zip(self):
        with open(os.path.join(self.dist, self.zip_name), "rb") as archive:
            digest = hashlib.sha256(archive.read()).hexdigest()
        with open(os.path.join(self.dist, "SHA256SUMS"), encoding="ascii") as sums:
            self.assertEqual(sums.read(), "%s  %s\n" % (digest, self.zip_name))


class RefusedUrls(unittest.TestCase):
    def test_urls_kestrin_cannot_ask_are_refused_before_anything_is_built(self):
        for url, reason in (
                ("https://ipx.example.net/cgi-bin/ipx.cgi", "http://"),
                ("http://ipx.example.net/ipx.cgi", "/cgi-bin/ipx.cgi"),
                ("http://ipx.example.net/cgi-bin/ipx.cgi?v=2", "/cgi-bin/ipx.cgi"),
                ('http://ipx.example.net"/cgi-bin/ipx.cgi', "host"),
                ("http://user@ipx.example.net/cgi-bin/ipx.cgi", "host"),
                ("http://ipx.example.net:65536/cgi-bin/ipx.cgi", "port")):
            with self.subTest(url=url):
                result = release("--url", url, folder="refused")
                self.assertEqual(result.returncode, 1)
                self.assertIn(reason, result.stderr)
                self.assertIn(url, result.stderr)
                self.assertFalse(os.path.exists(os.path.join(WORK, "refused")))

    def test_no_url_is_refused(self):
        result = release(folder="refused")
        self.assertEqual(result.returncode, 2)
        self.assertIn("--url", result.stderr)
        self.assertFalse(os.path.exists(os.path.join(WORK, "refused")))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
