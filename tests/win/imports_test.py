"""kestrin.exe starts on Windows XP SP3. Wine starts a program whatever it imports, so only
the exe's own header and import table show that XP's loader would: read here with objdump
and held against the pinned list in xp-sp3-exports.txt. Wine's own DLLs, read the same way,
show that every name read and every name listed is a real export.

    imports_test.py OBJDUMP WINE_DLL_FOLDER EXE
"""
import os
import re
import subprocess
import sys
import unittest

OBJDUMP, WINE_DLLS, EXE = sys.argv[1:4]
del sys.argv[1:4]
XP_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xp-sp3-exports.txt")
XP = (5, 1)


def dll_key(name):
    """The loader adds ".dll" to a bare module name; names compare without regard to case."""
    name = name.lower()
    return name if "." in name else name + ".dll"


def read_list(path):
    exports, dll = {}, None
    with open(path) as file:
        for line in file:
            if line.startswith("#") or not line.strip():
                continue
            if line[0].isspace():
                exports[dll].update(line.split())
            else:
                dll = dll_key(line.strip())
                exports[dll] = set()
    return exports


def objdump(path):
    return subprocess.run([OBJDUMP, "-p", path], check=True, capture_output=True,
                          text=True).stdout


def header_versions(dump):
    """The Windows and the subsystem version the header asks for, each as (major, minor)."""
    fields = dict(re.findall(r"^(\w+)\s+(\d+)$", dump, re.M))
    return {what: (int(fields[f"Major{key}Version"]), int(fields[f"Minor{key}Version"]))
            for what, key in [("Windows", "OSystem"), ("subsystem", "Subsystem")]}


def imports(dump):
    """Each DLL the import table names, with what it imports from it: a function's name, or
    "#N" for ordinal N."""
    tables, dll = {}, None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)$", line)
        entry = re.match(r"\s+[0-9a-f]+\s+(\d+)\s+(\S+)$", line)
        if named:
            dll = named[1]
            tables[dll] = []
        elif dll and entry:
            tables[dll].append("#" + entry[1] if entry[2] == "<none>" else entry[2])
        elif not line.strip():
            dll = None
    return tables


def exports(dll_path):
    table = objdump(dll_path).partition("[Ordinal/Name Pointer] Table")[2]
    return set(re.findall(r"^\s*\[\s*\d+\]\s+(\S+)$", table, re.M))


def header_faults(versions):
    return [f"the header asks for {what} {major}.{minor}; Windows XP (5.1) refuses to start "
            f"a program that asks for a newer one"
            for what, (major, minor) in versions.items() if (major, minor) > XP]


def import_faults(tables, xp):
    faults = []
    for dll, functions in tables.items():
        if dll_key(dll) not in xp:
            faults.append(f"imports from {dll}, which is not a system DLL of Windows XP SP3: "
                          "the program would not start where it is missing. Link it "
                          "statically or load it at run time.")
            continue
        for function in functions:
            if function.startswith("#"):
                faults.append(f"imports {dll} ordinal {function[1:]} by number; ordinals "
                              "differ between Windows versions, so an import by ordinal is "
                              "never on the list. Import it by name.")
            elif function not in xp[dll_key(dll)]:
                faults.append(f"imports {function} from {dll}, which is not on the list of "
                              "what Windows XP SP3 exports. XP's loader refuses to start a "
                              "program that imports a function its DLL lacks: resolve this "
                              "one at run time with GetProcAddress and use it only where "
                              f"present, or, once you have checked that XP SP3's {dll} "
                              "exports it, add it to the list.")
    return faults


# As objdump prints an exe that asks for Vista, imports by ordinal, imports a function
# XP lacks, and imports from a DLL XP lacks.
NEWER_EXE = """
MajorOSystemVersion\t6
MinorOSystemVersion\t0
MajorSubsystemVersion\t5
MinorSubsystemVersion\t1

\tDLL Name: KERNEL32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t74a4\t  50  GetTickCount64
\t74ba\t  68  Sleep

\tDLL Name: USER32
\tvma:  Hint/Ord Member-Name Bound-To
\t80000010\t   16  <none>

\tDLL Name: bcrypt.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t7500\t   3  BCryptGenRandom
"""


class FindsTheFaultsItLooksFor(unittest.TestCase):
    def test_in_an_exe_made_for_a_newer_windows(self):
        faults = header_faults(header_versions(NEWER_EXE))
        faults += import_faults(imports(NEWER_EXE), read_list(XP_LIST))
        expected = ["the header asks for Windows 6.0", "imports GetTickCount64 from KERNEL32",
                    "imports USER32 ordinal 16 by number", "imports from bcrypt.dll"]
        self.assertEqual(len(faults), len(expected), faults)
        for fault, start in zip(faults, expected):
            self.assertTrue(fault.startswith(start), fault)


class KestrinExe(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dump = objdump(EXE)
        cls.imports = imports(cls.dump)
        cls.xp = read_list(XP_LIST)

    def test_header_asks_for_no_windows_newer_than_xp(self):
        faults = header_faults(header_versions(self.dump))
        if faults:
            self.fail("\n".join(faults))

    def test_imports_only_what_windows_xp_sp3_exports(self):
        self.assertTrue(self.imports, "an exe always imports something")
        faults = import_faults(self.imports, self.xp)
        if faults:
            self.fail("\n".join(faults))

    # A misread table would make the test above pass or fail on garbage.
    def test_every_import_and_every_listed_function_is_a_real_export(self):
        listed = {dll: set(functions) for dll, functions in self.xp.items()}
        for dll, functions in self.imports.items():
            listed.setdefault(dll_key(dll), set()).update(
                function for function in functions if not function.startswith("#"))
        for dll, functions in listed.items():
            missing = functions - exports(os.path.join(WINE_DLLS, dll))
            self.assertEqual(missing, set(), f"not exported by {dll}")


if __name__ == "__main__":
    unittest.main()
