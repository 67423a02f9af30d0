"""The program installed into a temporary prefix as a user or a distribution
installs it, and packaged: what lands where, a manifest that names every
file, the desktop's validators, and the installed program answering --help
and --version where no desktop is."""

import gzip
import os
import re
import shutil
import subprocess
import tempfile
import unittest

BUILD = os.environ["QV_BUILD_DIR"]
LIBDIR = os.environ["QV_INSTALL_LIBDIR"]
APP_ID = os.environ["QV_APP_ID"]
VERSION = os.environ["QV_VERSION"]
DLLPATH_KEY = r"HKLM\Software\Microsoft\WAB\DLLPath"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def run(argv, **kwargs):
    defaults = {"stdout": subprocess.PIPE, "stderr": subprocess.STDOUT, "text": True,
                "timeout": 300}
    return subprocess.run(argv, **{**defaults, **kwargs})


def install(prefix, *extra):
    result = run(["cmake", "--install", BUILD, "--prefix", prefix] + list(extra))
    if result.returncode != 0:
        raise AssertionError(result.stdout)
    return result


def files_under(root):
    return {os.path.relpath(os.path.join(folder, name), root)
            for folder, _, names in os.walk(root) for name in names}


class InstallTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="quorvia-install-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, ignore_errors=True)
        cls.prefix = os.path.join(cls.tmp, "usr")
        install(cls.prefix)

    def path(self, relative):
        return os.path.join(self.prefix, relative)

    def test_layout_is_the_programs_files_and_nothing_else(self):
        expected = {
            "bin/quorvia",
            "bin/quorvia-reg",
            f"{LIBDIR}/quorvia/libquorvia-wab.so",
            "etc/quorvia/machine.reg",
            f"share/applications/{APP_ID}.desktop",
            f"share/metainfo/{APP_ID}.metainfo.xml",
            f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
            "share/man/man1/quorvia.1.gz",
            "share/man/man1/quorvia-reg.1.gz",
            "share/doc/quorvia/LICENSE",
            "share/doc/quorvia/CHANGELOG.md",
        }
        expected |= {f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in ICON_SIZES}
        # The test console is no part of it.
        self.assertEqual(files_under(self.prefix), expected)
        for program in ("bin/quorvia", "bin/quorvia-reg"):
            self.assertTrue(os.access(self.path(program), os.X_OK), program)
            # Nothing of the build tree stays in what is installed.
            dynamic = run(["readelf", "-d", self.path(program)]).stdout
            self.assertNotIn(BUILD, dynamic, program)
        with open(self.path("share/doc/quorvia/LICENSE"), encoding="utf-8") as f:
            self.assertIn("Apache License", f.read(300))
        for size in ICON_SIZES:
            with open(self.path(f"share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png"), "rb") as f:
                header = f.read(24)
            self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual((int.from_bytes(header[16:20], "big"),
                              int.from_bytes(header[20:24], "big")), (size, size))

    def test_manifest_names_every_file_so_an_uninstall_leaves_none(self):
        prefix = os.path.join(self.tmp, "again")
        install(prefix)
        with open(os.path.join(BUILD, "install_manifest.txt"), encoding="utf-8") as f:
            manifest = [line for line in f.read().splitlines() if line]
        self.assertEqual({os.path.relpath(p, prefix) for p in manifest}, files_under(prefix))
        for path in manifest:
            os.remove(path)
        self.assertEqual(files_under(prefix), set())

    def test_desktop_validators_accept_the_entry_and_the_metainfo(self):
        entry = self.path(f"share/applications/{APP_ID}.desktop")
        result = run(["desktop-file-validate", entry])
        self.assertEqual((result.returncode, result.stdout), (0, ""))
        metainfo = self.path(f"share/metainfo/{APP_ID}.metainfo.xml")
        result = run(["appstreamcli", "validate", "--no-net", "--no-color", metainfo])
        self.assertEqual(result.returncode, 0, result.stdout)
        with open(entry, encoding="utf-8") as f:
            keys = dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)
        self.assertEqual(keys["Icon"], APP_ID)
        self.assertTrue(os.path.exists(self.path(os.path.join("bin", keys["Exec"].split()[0]))))
        with open(metainfo, encoding="utf-8") as f:
            text = f.read()
        self.assertIn(f"<launchable type=\"desktop-id\">{APP_ID}.desktop</launchable>", text)
        self.assertRegex(text, r"<screenshot type=\"default\">\s*<caption>[^<]+</caption>\s*"
                               r"<image>https://[^<]+\.png</image>")
        # The newest release entry is this version.
        self.assertEqual(re.search(r"<release version=\"([^\"]+)\"", text).group(1), VERSION)

    def test_manual_pages_render_without_warnings(self):
        for page in ("quorvia", "quorvia-reg"):
            with gzip.open(self.path(f"share/man/man1/{page}.1.gz"), "rt",
                           encoding="utf-8") as f:
                source = f.read()
            self.assertIn(f"\"Quorvia Browser {VERSION}\"", source.splitlines()[0])
            result = run(["groff", "-man", "-Tutf8", "-ww", "-z"], input=source)
            self.assertEqual((result.returncode, result.stdout), (0, ""), page)

    def test_help_and_version_answer_without_a_desktop(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        env["LC_ALL"] = "C.UTF-8"
        for argument, first in (("--help", "Usage: quorvia [START-URL]"),
                                ("--version", f"Quorvia Browser {VERSION}")):
            result = run([self.path("bin/quorvia"), argument], env=env, timeout=60,
                         stderr=subprocess.PIPE)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertTrue(result.stdout.startswith(first), result.stdout)
            self.assertEqual(result.stderr, "")

    def test_machine_settings_name_the_installed_library_and_survive_a_reinstall(self):
        reg = self.path("bin/quorvia-reg")
        query = run([reg, "query", DLLPATH_KEY, "/ve"])
        library = self.path(f"{LIBDIR}/quorvia/libquorvia-wab.so")
        self.assertIn(f"REG_SZ    {library}", query.stdout)
        # An administrator's value stays when the program is installed again.
        added = run([reg, "add", r"HKLM\Software\Belmar\quorvia", "/v", "Kept", "/d", "yes",
                     "/f"])
        self.assertEqual(added.returncode, 0, added.stdout)
        install(self.prefix)
        self.assertIn("REG_SZ    yes",
                      run([reg, "query", r"HKLM\Software\Belmar\quorvia", "/v", "Kept"]).stdout)
        self.assertIn(library, run([reg, "query", DLLPATH_KEY, "/ve"]).stdout)

    def test_the_test_console_installs_as_a_component_of_its_own(self):
        prefix = os.path.join(self.tmp, "console")
        install(prefix, "--component", "console")
        self.assertEqual(files_under(prefix),
                         {"bin/quorvia-console", "share/man/man1/quorvia-console.1.gz"})


class DebianPackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="quorvia-deb-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, ignore_errors=True)
        result = run(["cpack", "-G", "DEB", "-B", cls.tmp], cwd=BUILD, timeout=600)
        if result.returncode != 0:
            raise AssertionError(result.stdout)
        cls.deb = os.path.join(cls.tmp, f"quorvia_{VERSION}-1_amd64.deb")
        cls.root = os.path.join(cls.tmp, "root")
        run(["dpkg-deb", "-x", cls.deb, cls.root], check=True)

    def field(self, name, deb=None):
        return run(["dpkg-deb", "-f", deb or self.deb, name]).stdout.strip()

    def test_dependencies_come_from_the_binaries_and_name_the_font(self):
        depends = self.field("Depends")
        # Computed: the web engine's library with the version the binary needs.
        self.assertRegex(depends, r"libqt6webenginecore6 \(>= [0-9.]+\)")
        self.assertRegex(depends, r"libc6 \(>= [0-9.]+\)")
        # Declared: what nothing links.
        for package in ("fonts-liberation2", "libqt6webenginecore6-bin", "qt6-qpa-plugins",
                        "libqt6svg6"):
            self.assertIn(package, depends)
        console = os.path.join(self.tmp, f"quorvia-console_{VERSION}-1_amd64.deb")
        self.assertRegex(self.field("Depends", console), r"libcpp-httplib")

    def test_files_are_where_a_distribution_puts_them(self):
        files = files_under(self.root)
        self.assertIn("etc/quorvia/machine.reg", files)
        self.assertNotIn("usr/etc/quorvia/machine.reg", files)
        self.assertNotIn("usr/bin/quorvia-console", files)
        self.assertIn(f"usr/share/applications/{APP_ID}.desktop", files)
        with open(os.path.join(self.root, "etc/quorvia/machine.reg"), encoding="utf-8") as f:
            self.assertIn(f"@=\"/usr/{LIBDIR}/quorvia/libquorvia-wab.so\"", f.read())
        self.assertIn(f"usr/{LIBDIR}/quorvia/libquorvia-wab.so", files)
        control = run(["dpkg-deb", "-I", self.deb, "conffiles"]).stdout
        self.assertEqual(control.split(), ["/etc/quorvia/machine.reg"])

    def test_binaries_are_stripped_and_their_debug_info_is_in_the_dbgsym_package(self):
        debug = os.path.join(self.tmp, "debug")
        run(["dpkg-deb", "-x", os.path.join(self.tmp, f"quorvia-dbgsym_{VERSION}-1_amd64.ddeb"),
             debug], check=True)
        for binary in ("usr/bin/quorvia", "usr/bin/quorvia-reg",
                       f"usr/{LIBDIR}/quorvia/libquorvia-wab.so"):
            sections = run(["readelf", "-S", "-W", os.path.join(self.root, binary)]).stdout
            self.assertNotIn(".debug_info", sections, binary)
            notes = run(["readelf", "-n", os.path.join(self.root, binary)]).stdout
            build_id = re.search(r"Build ID: ([0-9a-f]+)", notes).group(1)
            split = os.path.join(debug, "usr/lib/debug/.build-id", build_id[:2],
                                 build_id[2:] + ".debug")
            self.assertIn(".debug_info", run(["readelf", "-S", "-W", split]).stdout, binary)


if __name__ == "__main__":
    unittest.main()
