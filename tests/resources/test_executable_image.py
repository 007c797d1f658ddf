"""The built executable as Windows reads it before any of its code runs: the PE header fields the
loader checks, the manifest, the icon sizes the shell picks from and the version resource that
Explorer and Task Manager show. Read from the file itself with a small PE reader; no Wine needed.

CASESWITCH_EXE names the executable, CASESWITCH_LICENSE the licence whose copyright line the
version resource carries."""

import os
import struct
import unittest
import xml.etree.ElementTree as ElementTree

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
CHINESE_SIMPLIFIED = 0x0804
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE = 0x8000
IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x0020
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

WINDOWS_7, WINDOWS_8, WINDOWS_8_1, WINDOWS_10_AND_11 = (
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
)


class PeImage:
    """The optional header's fields and the resources of a PE file (32- or 64-bit)."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe : pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, optional_size, self.characteristics = struct.unpack_from("<2xH12xHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
        directories = optional + (96 if magic == 0x10B else 112)
        resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
        self.sections = [
            struct.unpack_from("<8xIIII", data, optional + optional_size + 40 * index) for index in range(sections)
        ]
        self.resource_base = self.offset(resource_rva)
        self.resources = {}
        self._read_directory(0, ())

    def offset(self, rva):
        for virtual_size, virtual_address, raw_size, raw_offset in self.sections:
            if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
                return raw_offset + rva - virtual_address
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def _read_directory(self, at, path):
        named, numbered = struct.unpack_from("<12xHH", self.data, self.resource_base + at)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, self.resource_base + at + 16 + 8 * index)
            if name & 0x80000000:
                where = self.resource_base + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, where)[0]
                name = self.data[where + 2 : where + 2 + 2 * length].decode("utf-16-le")
            if target & 0x80000000:
                self._read_directory(target & 0x7FFFFFFF, path + (name,))
            else:
                rva, size = struct.unpack_from("<II", self.data, self.resource_base + target)
                self.resources[path + (name,)] = self.data[self.offset(rva) : self.offset(rva) + size]

    def resource(self, kind, name):
        """The one resource of that type and name, whatever its language."""
        found = [data for (t, n, _), data in self.resources.items() if (t, n) == (kind, name)]
        if len(found) != 1:
            raise AssertionError(f"{len(found)} resources of type {kind} named {name!r}")
        return found[0]


def version_strings(block):
    """The VS_VERSIONINFO tree as {key: value or {children}}; string values as text, others as bytes."""

    def node(at):
        length, value_length, text = struct.unpack_from("<HHH", block, at)
        end = at + 6
        while block[end : end + 2] != b"\0\0":
            end += 2
        key = block[at + 6 : end].decode("utf-16-le")
        cursor = (end + 2 + 3) & ~3
        size = value_length * 2 if text else value_length
        value = block[cursor : cursor + size]
        children = {}
        child = (cursor + size + 3) & ~3
        while child < at + length:
            child_key, child_value, child_length = node(child)
            children[child_key] = child_value
            child = (child + child_length + 3) & ~3
        if children:
            return key, children, length
        return key, value.decode("utf-16-le").rstrip("\0") if text else value, length

    return node(0)[1]


class ExecutableImageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(os.environ["CASESWITCH_EXE"], "rb") as exe:
            cls.image = PeImage(exe.read())

    def test_the_loader_sees_a_windows_7_gui_program_aware_of_terminal_servers(self):
        self.assertEqual(self.image.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI)
        self.assertEqual(self.image.subsystem_version, (6, 1))
        self.assertTrue(
            self.image.dll_characteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE,
            f"DllCharacteristics {self.image.dll_characteristics:#06x}",
        )

    def test_the_program_may_use_addresses_above_2_gib(self):
        # A 32-bit program gets 4 GiB of address space on 64-bit Windows only with this flag.
        self.assertTrue(
            self.image.characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE,
            f"Characteristics {self.image.characteristics:#06x}",
        )

    def test_the_manifest_asks_for_per_monitor_dpi_awareness_and_names_windows_7_to_11(self):
        manifest = ElementTree.fromstring(self.image.resource(RT_MANIFEST, 1))
        settings = {element.tag.split("}")[1]: element.text for element in manifest.iter() if "WindowsSettings" in element.tag}
        # Per-monitor v2 where Windows 10 1703 and later read dpiAwareness; system-aware on 7 and 8.
        self.assertEqual(settings, {"dpiAware": "true/pm", "dpiAwareness": "PerMonitorV2, PerMonitor"})
        systems = [element.get("Id") for element in manifest.iter("{urn:schemas-microsoft-com:compatibility.v1}supportedOS")]
        self.assertEqual(systems, [WINDOWS_7, WINDOWS_8, WINDOWS_8_1, WINDOWS_10_AND_11])

    def test_the_manifest_fits_either_architecture(self):
        # A named x86 identity makes a 64-bit process load the 32-bit common controls and fail to start.
        manifest = ElementTree.fromstring(self.image.resource(RT_MANIFEST, 1))
        identities = list(manifest.iter("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity"))
        self.assertEqual([identity.get("processorArchitecture") for identity in identities], ["*", "*"])

    def test_the_icon_has_every_size_the_shell_asks_for(self):
        group = self.image.resource(RT_GROUP_ICON, "DEFAULT_ICON")
        count = struct.unpack_from("<H", group, 4)[0]
        sizes = []
        for index in range(count):
            width, height, _, _, _, bits, _, image_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * index)
            size = width or 256
            sizes.append(size)
            self.assertEqual((height or 256, bits), (size, 32), f"entry {index}")
            # Every image is a PNG (Windows Vista and later read them at any size) of the size its entry names.
            image = self.image.resource(RT_ICON, image_id)
            self.assertTrue(image.startswith(PNG_SIGNATURE), f"{size}-pixel image")
            self.assertEqual(struct.unpack_from(">4sII", image, 12), (b"IHDR", size, size), f"{size}-pixel image")
        self.assertEqual(sorted(sizes), [16, 20, 24, 32, 48, 256])

    def test_the_version_resource_names_the_program_in_chinese(self):
        info = version_strings(self.image.resource(RT_VERSION, 1))
        strings = info["StringFileInfo"]["080404B0"]
        with open(os.environ["CASESWITCH_LICENSE"], encoding="utf-8") as licence:
            copyright_line = next(line.strip() for line in licence if line.startswith("Copyright "))
        self.assertEqual(strings["LegalCopyright"], copyright_line)
        # Task Manager lists the process under its FileDescription.
        self.assertEqual(strings["FileDescription"], "切换大小写")
        self.assertEqual(strings["ProductName"], "切换大小写 (CaseSwitch)")
        self.assertEqual(info["VarFileInfo"]["Translation"], struct.pack("<HH", CHINESE_SIMPLIFIED, 1200))

    def test_every_resource_is_tagged_chinese_simplified(self):
        languages = {path: path[2] for path in self.image.resources}
        self.assertEqual({path for path, language in languages.items() if language != CHINESE_SIMPLIFIED}, set())


if __name__ == "__main__":
    unittest.main()
