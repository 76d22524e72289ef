"""kestrin.exe's manifest, as the build writes it for the resource compiler: well-formed,
each setting once, every namespace as Windows spells it, and nothing in the asm.v1
namespace that Windows XP does not know, since XP refuses to start a program whose
manifest it cannot read.

    manifest_test.py MANIFEST
"""
import io
import sys
import unittest
import xml.etree.ElementTree as ElementTree

MANIFEST = sys.argv.pop(1)

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
# The asm.v1 elements of the manifests Windows XP SP3 reads.
XP_ASM_V1 = {"assembly", "assemblyIdentity", "dependency", "dependentAssembly", "description",
             "file", "comClass", "typelib", "windowClass", "noInherit", "noInheritable",
             "comInterfaceExternalProxyStub", "comInterfaceProxyStub", "clrClass",
             "clrSurrogate", "bindingRedirect"}


def parse(text):
    """The root element and every namespace the text declares."""
    namespaces, root = [], None
    for event, item in ElementTree.iterparse(io.StringIO(text), events=("start-ns", "start")):
        if event == "start-ns":
            namespaces.append(item[1])
        elif root is None:
            root = item
    return root, namespaces


def split(tag):
    namespace, _, name = tag[1:].partition("}")
    return namespace, name


def repeated_siblings(root):
    """Tags that appear twice under one parent with the same attributes."""
    repeated = []
    for parent in root.iter():
        seen = set()
        for child in parent:
            key = (child.tag, tuple(sorted(child.attrib.items())))
            if key in seen:
                repeated.append(child.tag)
            seen.add(key)
    return repeated


def windows_settings(root):
    return root.findall(f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings")


class FindsTheFaultsItLooksFor(unittest.TestCase):
    def test_a_repeated_setting_and_an_https_namespace_are_seen(self):
        root, namespaces = parse(f"""<assembly xmlns="{ASM_V1}"><application xmlns="{ASM_V3}">
            <windowsSettings><dpiAware xmlns="{SETTINGS_2005}">true</dpiAware>
            <dpiAware xmlns="{SETTINGS_2005}">true</dpiAware>
            <dpiAwareness xmlns="https://schemas.microsoft.com/SMI/2016/WindowsSettings"/>
            </windowsSettings></application></assembly>""")
        self.assertEqual(repeated_siblings(root), [f"{{{SETTINGS_2005}}}dpiAware"])
        self.assertTrue(any(n.startswith("https:") for n in namespaces))


class Manifest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(MANIFEST, encoding="utf-8") as manifest:
            cls.text = manifest.read()
        cls.root, cls.namespaces = parse(cls.text)

    def test_is_well_formed_utf8_with_the_assembly_at_its_root(self):
        self.assertTrue(self.text.startswith('<?xml version="1.0" encoding="UTF-8"'))
        self.assertEqual(self.root.tag, f"{{{ASM_V1}}}assembly")
        self.assertEqual(self.root.get("manifestVersion"), "1.0")

    def test_names_no_namespace_with_https(self):
        # Windows matches the namespace as a string: an https:// one is silently ignored.
        self.assertIn(SETTINGS_2005, self.namespaces)
        self.assertIn(SETTINGS_2016, self.namespaces)
        for namespace in self.namespaces:
            self.assertFalse(namespace.startswith("https:"), namespace)

    def test_repeats_no_element(self):
        self.assertEqual(repeated_siblings(self.root), [])
        self.assertEqual(len(windows_settings(self.root)), 1)

    def test_declares_per_monitor_awareness_in_both_forms(self):
        settings = windows_settings(self.root)[0]
        self.assertEqual([child.tag for child in settings],
                         [f"{{{SETTINGS_2005}}}dpiAware", f"{{{SETTINGS_2016}}}dpiAwareness"])
        self.assertEqual(settings.find(f"{{{SETTINGS_2005}}}dpiAware").text, "true/pm")
        self.assertEqual(settings.find(f"{{{SETTINGS_2016}}}dpiAwareness").text,
                         "PerMonitorV2, PerMonitor")

    def test_keeps_to_what_windows_xp_knows_in_the_asm_v1_namespace(self):
        for element in self.root.iter():
            namespace, name = split(element.tag)
            if namespace == ASM_V1:
                self.assertIn(name, XP_ASM_V1)


if __name__ == "__main__":
    unittest.main()
