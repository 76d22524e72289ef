"""scripts/release.sh: the zip it writes holds kestrin.exe and kestrin64.exe built for the
URLs it was given, their checksums, and a note saying which exe to use and which Windows
ask which URL; SHA256SUMS covers the zip and ipx.cgi's Debian package, and the same commit
gives the same zip, exes and package from any build folder; a URL that Kestrin cannot ask
is refused before anything is built.

    release_test.py WORK_DIR
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import time
import unittest
import zipfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
RELEASE = os.path.join(ROOT, "scripts", "release.sh")
URL = "http://127.0.0.1:28080/cgi-bin/ipx.cgi"
TLS_URL = "https://localhost:28443/cgi-bin/ipx.cgi"
LEGACY_URL = "http://127.0.0.1:28080/cgi-bin/ipx.cgi"
DEFAULT_HOST = "ipx.example.net"

WORK = os.path.abspath(sys.argv[1])


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as cmake:
        return re.search(r"project\(Kestrin VERSION ([0-9.]+)", cmake.read()).group(1)


ZIP_NAME = "kestrin-%s-win32.zip" % project_version()
ENTRIES = ["kestrin.exe", "kestrin64.exe", "SHA256SUMS", "README.txt"]
# The 32-bit exe's imports are held against what Windows XP SP3 exports by the Windows
# tests' own check, read with 32-bit Wine's DLLs: unpacked by scripts/wine32-dlls.sh where
# the machine runs no 32-bit programs.
IMPORTS_TEST = os.path.join(ROOT, "tests", "win", "imports_test.py")
WINE_DLL_FOLDERS = ["/usr/lib/i386-linux-gnu/wine/i386-windows",
                    os.path.join(ROOT, "build", "wine32-dlls")]
# name, PE machine, optional header magic, size limit, objdump
EXES = [("kestrin.exe", 0x14C, 0x10B, 48 * 1024, "i686-w64-mingw32-objdump"),
        ("kestrin64.exe", 0x8664, 0x20B, 64 * 1024, "x86_64-w64-mingw32-objdump")]
DEB_NAME = "ipx-cgi_%s_%s.deb" % (project_version(), subprocess.run(
    ["dpkg", "--print-architecture"], capture_output=True, text=True, check=True).stdout.strip())


def commit_time():
    return int(subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"],
                              capture_output=True, text=True, check=True).stdout)


def zip_time(epoch):
    """The time a zip entry shows for these seconds: UTC, in steps of two seconds."""
    when = time.gmtime(epoch)
    return when[:5] + (when.tm_sec - when.tm_sec % 2,)


def release(*arguments, folder, dist="dist", epoch=None):
    """release.sh with its build and dist folders in WORK/folder, and SOURCE_DATE_EPOCH
    set to epoch, or unset."""
    where = ["--build", os.path.join(WORK, folder, "build"),
             "--dist", os.path.join(WORK, folder, dist)]
    environment = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
    if epoch is not None:
        environment["SOURCE_DATE_EPOCH"] = str(epoch)
    return subprocess.run([RELEASE, *arguments, *where], capture_output=True, text=True,
                          check=False, env=environment)


def released(*arguments, folder, **options):
    """The zip and SHA256SUMS paths of a release that must succeed; the zip is made afresh."""
    dist = os.path.join(WORK, folder, options.get("dist", "dist"))
    shutil.rmtree(dist, ignore_errors=True)
    result = release(*arguments, folder=folder, **options)
    if result.returncode != 0:
        raise AssertionError("release.sh failed:\n" + result.stderr)
    return os.path.join(dist, ZIP_NAME), os.path.join(dist, "SHA256SUMS")


def pe_kind(image):
    """The machine and optional header magic of a PE image: (0x14C, 0x10B) for PE32 x86,
    (0x8664, 0x20B) for PE32+ x86-64."""
    header = int.from_bytes(image[0x3C:0x40], "little")
    if image[:2] != b"MZ" or image[header:header + 4] != b"PE\0\0":
        return None
    machine = int.from_bytes(image[header + 4:header + 6], "little")
    magic = int.from_bytes(image[header + 24:header + 26], "little")
    return machine, magic


def imported_dlls(objdump, path):
    dump = subprocess.run([objdump, "-p", path], capture_output=True, text=True,
                          check=True).stdout
    return sorted(name.lower() for name in re.findall(r"DLL Name: (\S+)", dump))


def asked_urls(note):
    """Each URL the note names, with the paragraph before it that says who asks it."""
    paragraphs = note.replace("\r\n", "\n").split("\n\n")
    return {text.strip(): " ".join(paragraphs[i - 1].split())
            for i, text in enumerate(paragraphs) if text.startswith("    ")}


class ReleaseForOneService(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The build folder stays for the next run.
        cls.zip, cls.sums = released("--url", URL, folder="release")

    def test_zip_holds_both_programs_built_for_the_url_and_a_note_naming_it(self):
        with zipfile.ZipFile(self.zip) as archive:
            self.assertEqual(archive.namelist(), ENTRIES)
            programs = [archive.read(exe[0]) for exe in EXES]
            note = archive.read("README.txt").decode("ascii")
        for (name, *_), program in zip(EXES, programs):
            with self.subTest(exe=name):
                # The URL is compiled in as a wide string literal.
                self.assertIn(URL.encode("utf-16-le"), program)
                self.assertNotIn(DEFAULT_HOST.encode("utf-16-le"), program)
        self.assertIn("Kestrin " + project_version(), note)
        asked = asked_urls(note)
        self.assertEqual(list(asked), [URL])
        self.assertTrue(asked[URL].startswith("Every Windows asks it over plain HTTP"))

    def test_each_exe_is_a_small_image_for_its_windows(self):
        with zipfile.ZipFile(self.zip) as archive:
            for name, machine, magic, limit, _ in EXES:
                with self.subTest(exe=name):
                    program = archive.read(name)
                    self.assertEqual(pe_kind(program), (machine, magic))
                    self.assertLess(len(program), limit)

    def test_note_says_which_exe_to_use(self):
        with zipfile.ZipFile(self.zip) as archive:
            note = " ".join(archive.read("README.txt").decode("ascii").split())
        self.assertIn("kestrin.exe on every Windows from XP SP3 to 11", note)
        self.assertIn("kestrin64.exe on 64-bit Windows without the 32-bit subsystem "
                      "(Server Core can remove it)", note)

    def test_zip_lists_each_exes_checksum(self):
        with zipfile.ZipFile(self.zip) as archive:
            listed = archive.read("SHA256SUMS").decode("ascii")
            digests = {name: hashlib.sha256(archive.read(name)).hexdigest()
                       for name, *_ in EXES}
        self.assertEqual(listed, "".join("%s  %s\n" % (digests[name], name)
                                         for name, *_ in EXES))

    def unpacked(self, name):
        with zipfile.ZipFile(self.zip) as archive:
            return archive.extract(name, os.path.join(WORK, "release", "unpacked"))

    def test_32_bit_exe_imports_only_what_windows_xp_sp3_exports(self):
        folder = next(f for f in WINE_DLL_FOLDERS if os.path.isdir(f))
        result = subprocess.run([sys.executable, IMPORTS_TEST, EXES[0][4], folder,
                                 self.unpacked("kestrin.exe")],
                                capture_output=True, text=True, check=False)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_64_bit_exe_imports_from_the_same_dlls(self):
        self.assertEqual(imported_dlls(EXES[1][4], self.unpacked("kestrin64.exe")),
                         imported_dlls(EXES[0][4], self.unpacked("kestrin.exe")))

    def test_sha256sums_covers_the_zip_and_the_services_package(self):
        lines = []
        for name in (ZIP_NAME, DEB_NAME):
            with open(os.path.join(os.path.dirname(self.zip), name), "rb") as released_file:
                lines.append("%s  %s\n" % (hashlib.sha256(released_file.read()).hexdigest(), name))
        with open(self.sums, encoding="ascii") as sums:
            self.assertEqual(sums.read(), "".join(lines))


class ReproducibleReleaseWithLegacyUrl(unittest.TestCase):
    """Two build folders of different depth, each kept for the next run."""
    URLS = ("--url", TLS_URL, "--legacy-url", LEGACY_URL)

    @classmethod
    def setUpClass(cls):
        cls.first = released(*cls.URLS, folder="twin")
        cls.second = released(*cls.URLS, folder=os.path.join("other", "twin"))

    def test_two_builds_in_different_folders_give_the_same_zip(self):
        with open(self.first[1], "rb") as first, open(self.second[1], "rb") as second:
            self.assertEqual(first.read(), second.read())
        with open(self.first[0], "rb") as first, open(self.second[0], "rb") as second:
            self.assertEqual(first.read(), second.read())

    def test_two_builds_give_the_same_bytes_of_each_exe(self):
        for name, *_ in EXES:
            with self.subTest(exe=name), zipfile.ZipFile(self.first[0]) as first, \
                    zipfile.ZipFile(self.second[0]) as second:
                self.assertEqual(first.read(name), second.read(name))

    def test_entries_have_a_fixed_order_and_mode_and_the_commits_time(self):
        with zipfile.ZipFile(self.first[0]) as archive:
            entries = archive.infolist()
        self.assertEqual([entry.filename for entry in entries], ENTRIES)
        self.assertEqual([entry.external_attr >> 16 for entry in entries],
                         [0o100755, 0o100755, 0o100644, 0o100644])
        for entry in entries:
            self.assertEqual(entry.date_time, zip_time(commit_time()))

    def test_source_date_epoch_sets_the_entry_times(self):
        epoch = 1700000001
        archive_path, _ = released(*self.URLS, folder="twin", dist="dist-epoch", epoch=epoch)
        with zipfile.ZipFile(archive_path) as archive:
            self.assertEqual({entry.date_time for entry in archive.infolist()},
                             {zip_time(epoch)})

    def test_programs_are_built_for_both_urls_and_the_note_says_which_windows_ask_which(self):
        with zipfile.ZipFile(self.first[0]) as archive:
            programs = [archive.read(name) for name, *_ in EXES]
            note = archive.read("README.txt").decode("ascii")
        for program in programs:
            self.assertIn(TLS_URL.encode("utf-16-le"), program)
            self.assertIn(LEGACY_URL.encode("utf-16-le"), program)
        asked = asked_urls(note)
        self.assertEqual(sorted(asked), sorted([TLS_URL, LEGACY_URL]))
        self.assertTrue(asked[TLS_URL].startswith("Windows 7 and later ask it over https"))
        self.assertTrue(asked[LEGACY_URL].startswith("Windows XP and Vista"))
        self.assertIn("over plain HTTP", asked[LEGACY_URL])


class UrlChecks(unittest.TestCase):
    def assert_nothing_built(self):
        self.assertFalse(os.path.exists(os.path.join(WORK, "checked")))

    def test_urls_kestrin_can_ask_are_accepted_and_named_in_the_note(self):
        for urls in (
                ("--url", "http://ipx.example.net/cgi-bin/ipx.cgi"),
                ("--url", "http://[::1]:8080/cgi-bin/ipx.cgi"),
                ("--url", "https://ipx.example.net/cgi-bin/ipx.cgi"),
                ("--url", "https://192.0.2.7:8443/cgi-bin/ipx.cgi"),
                ("--url", "https://ipx.example.net/cgi-bin/ipx.cgi",
                 "--legacy-url", "http://old.ipx.example.net:8080/cgi-bin/ipx.cgi")):
            with self.subTest(urls=urls):
                result = release(*urls, "--dry-run", folder="checked")
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(sorted(asked_urls(result.stdout)), sorted(urls[1::2]))
                self.assert_nothing_built()

    def test_an_https_url_alone_is_asked_by_every_windows(self):
        url = "https://ipx.example.net/cgi-bin/ipx.cgi"
        result = release("--url", url, "--dry-run", folder="checked")
        self.assertTrue(asked_urls(result.stdout)[url].startswith(
            "Every Windows asks it over https"))

    def test_urls_kestrin_cannot_ask_are_refused_before_anything_is_built(self):
        tls = "https://ipx.example.net/cgi-bin/ipx.cgi"
        for urls, reason, named in (
                (("--url", "ftp://ipx.example.net/cgi-bin/ipx.cgi"), "http:// or https://", 1),
                (("--url", "http://ipx.example.net/ipx.cgi"), "/cgi-bin/ipx.cgi", 1),
                (("--url", "https://ipx.example.net/cgi-bin/ipx.cgi?v=2"),
                 "/cgi-bin/ipx.cgi", 1),
                (("--url", 'http://ipx.example.net"/cgi-bin/ipx.cgi'), "host", 1),
                (("--url", "https://user@ipx.example.net/cgi-bin/ipx.cgi"), "host", 1),
                (("--url", "http://ipx.example.net:65536/cgi-bin/ipx.cgi"), "port", 1),
                (("--url", "https://ipx.example.net:0/cgi-bin/ipx.cgi"), "port", 1),
                (("--url", tls, "--legacy-url", tls), "http:// (plain HTTP)", 3),
                (("--url", tls, "--legacy-url", "http://ipx.example.net/cgi-bin/x.cgi"),
                 "/cgi-bin/ipx.cgi", 3),
                (("--url", tls, "--legacy-url", "http://a b/cgi-bin/ipx.cgi"), "host", 3),
                (("--url", tls, "--legacy-url", "http://ipx.example.net:99999/cgi-bin/ipx.cgi"),
                 "port", 3),
                # Beside a plain-http --url a legacy URL would change nothing but the host.
                (("--url", "http://ipx.example.net/cgi-bin/ipx.cgi",
                  "--legacy-url", "http://old.example.net/cgi-bin/ipx.cgi"),
                 "https:// --url", 1)):
            with self.subTest(urls=urls):
                result = release(*urls, folder="checked")
                self.assertEqual(result.returncode, 1)
                self.assertIn(reason, result.stderr)
                self.assertIn(urls[named], result.stderr)
                self.assert_nothing_built()

    def test_no_url_is_refused(self):
        result = release(folder="checked")
        self.assertEqual(result.returncode, 2)
        self.assertIn("--url", result.stderr)
        self.assert_nothing_built()


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
