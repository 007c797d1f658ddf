"""The release zip as a user on Windows meets it: built by the release preset of the tested build's
architecture, unpacked, its files read as Notepad and Explorer read them, and the unpacked program
started once."""

import hashlib
import io
import os
import shutil
import subprocess
import tempfile
import unittest
import zipfile

import harness

UTF8_BOM = b"\xef\xbb\xbf"
UTF8_FLAG = 0x800


class ReleaseZipTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.source = harness.required_path("CASESWITCH_SOURCE_DIR")
        preset = os.environ["CASESWITCH_RELEASE_PRESET"]
        cls.name = f"CaseSwitch-{os.environ['CASESWITCH_VERSION']}-{os.environ['CASESWITCH_RELEASE_ARCH']}"
        for step in (["cmake", "--preset", preset], ["cmake", "--build", "--preset", preset]):
            built = subprocess.run(step, cwd=cls.source, capture_output=True, timeout=840)
            if built.returncode:
                raise AssertionError(f"{' '.join(step)} failed:\n{built.stdout.decode(errors='replace')[-3000:]}")
        cls.zip_path = os.path.join(cls.source, "build", preset, cls.name + ".zip")

    def unpack(self):
        """{name: bytes} of the zip's files (names as a Chinese Windows reads them), after checking the
        zip's published digest; the files are also written to a folder, whose path is returned too."""
        with open(self.zip_path, "rb") as archive:
            data = archive.read()
        with open(self.zip_path + ".sha256", encoding="ascii") as digest:
            self.assertEqual(digest.read(), f"{hashlib.sha256(data).hexdigest()}  {self.name}.zip\n")
        folder = tempfile.mkdtemp(prefix="caseswitch-release-")
        self.addCleanup(shutil.rmtree, folder, True)
        files = {}
        archive = zipfile.ZipFile(io.BytesIO(data))
        for entry in archive.infolist():
            # No UTF-8 flag: Windows' zip readers take the name in the OEM code page, 936 here.
            self.assertFalse(entry.flag_bits & UTF8_FLAG, entry.filename)
            name = entry.filename.encode("cp437").decode("gbk")
            if entry.is_dir():
                continue
            content = archive.read(entry)
            files[name] = content
            os.makedirs(os.path.join(folder, os.path.dirname(name)), exist_ok=True)
            with open(os.path.join(folder, name), "wb") as unpacked:
                unpacked.write(content)
        return files, folder

    def test_the_unpacked_zip_holds_the_program_and_its_texts_and_runs(self):
        files, folder = self.unpack()
        texts = ["使用说明.txt", "更新日志.txt", "LICENSE.txt"]
        self.assertEqual(sorted(files), sorted(f"{self.name}/{name}" for name in ["CaseSwitch.exe", *texts]))

        for name in texts:
            content = files[f"{self.name}/{name}"]
            # What Windows 7's Notepad shows right: CRLF line ends, UTF-8 marked by a BOM (or plain ASCII).
            self.assertEqual(content.count(b"\n"), content.count(b"\r\n"), f"{name}: a bare LF")
            self.assertTrue(content.startswith(UTF8_BOM) or content.isascii(), f"{name}: no byte order mark")
        guide = files[f"{self.name}/使用说明.txt"].decode("utf-8-sig")
        for point in ["Windows 7 或更高版本", "中文(简体，中国)", "管理员", "所有用户", "取消勾选“开机自动启动”", "溢出区域",
                      "仍要运行", "智能应用控制", "结束任务", "win64", "Wow6432Node"]:
            self.assertIn(point, guide)
        self.assertIn(os.environ["CASESWITCH_VERSION"], files[f"{self.name}/更新日志.txt"].decode("utf-8-sig"))
        # About 165 KiB (i686) to 172 KiB (x86_64): the C library's formatted printing, uncompressed
        # icon images, or a threads library with the exception machinery coming back in would each add
        # tens of KiB and break this bound.
        self.assertLess(len(files[f"{self.name}/CaseSwitch.exe"]), 190_000, "the program has grown")
        with open(os.path.join(self.source, "LICENSE"), "rb") as licence:
            self.assertEqual(files[f"{self.name}/LICENSE.txt"], licence.read().replace(b"\n", b"\r\n"))

        env = harness.session_environment()
        probe = harness.Probe(env=env)
        self.addCleanup(probe.close)
        self.assertEqual(probe.find_window("FormWindow"), 0, "a program window is open before the test")
        program = harness.start_program(exe=os.path.join(folder, self.name, "CaseSwitch.exe"), env=env)
        self.addCleanup(program.log.close)
        self.addCleanup(lambda: program.poll() is None and (program.kill(), program.wait()))
        window = probe.wait_window("FormWindow")
        probe.post(window["hwnd"], harness.WM_CLOSE)
        self.assertEqual(program.wait(timeout=10), 0, harness.program_output(program))


if __name__ == "__main__":
    unittest.main()
