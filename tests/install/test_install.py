#!/usr/bin/env python3
"""Installs the build into a temporary DESTDIR under an unusual prefix, checks
what landed there and that the desktop's validators accept it, runs the
installed program, then builds the Debian package and reads it back.

usage: test_install.py <source dir> <build dir> <app id>
"""
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

SOURCE, BUILD, APP_ID = sys.argv[1:4]
PREFIX = "/opt/larkspan test"  # a space in the prefix must not break anything
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256, 512]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def run(*args, **kwargs):
    return subprocess.run(list(args), capture_output=True, text=True, timeout=300, **kwargs)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG")
    return struct.unpack(">II", head[16:24])


def help_options(text):
    """Option names of a --help text, e.g. {'--alpha', '-h', '--help'}."""
    names = set()
    for line in text.splitlines():
        match = re.match(r"^  (-\S.*?\S)  +\S", line)
        if match:
            names.update(re.findall(r"--?[a-z][a-z-]*", match.group(1)))
    return names


def main():
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LANGUAGE="en", LC_ALL="C.UTF-8")
    with tempfile.TemporaryDirectory() as tmp:
        destdir = os.path.join(tmp, "root")
        result = run("cmake", "--install", BUILD, "--prefix", PREFIX, env=dict(env, DESTDIR=destdir))
        check(result.returncode == 0, "cmake --install failed: " + result.stderr)
        root = destdir + PREFIX
        installed = sorted(os.path.relpath(os.path.join(d, f), root)
                           for d, _, files in os.walk(root) for f in files)
        expected = sorted(
            ["bin/larkspan",
             f"share/applications/{APP_ID}.desktop",
             f"share/metainfo/{APP_ID}.metainfo.xml",
             "share/man/man1/larkspan.1",
             f"share/icons/hicolor/scalable/apps/{APP_ID}.svg"]
            + [f"share/icons/hicolor/{s}x{s}/apps/{APP_ID}.png" for s in ICON_SIZES])
        check(installed == expected, f"installed files differ:\n  got {installed}\n  expected {expected}")
        for size in ICON_SIZES:
            path = f"{root}/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png"
            if os.path.exists(path):
                check(png_size(path) == (size, size), f"{path} is not {size}x{size}")

        desktop = f"{root}/share/applications/{APP_ID}.desktop"
        metainfo = f"{root}/share/metainfo/{APP_ID}.metainfo.xml"
        result = run("desktop-file-validate", desktop)
        check(result.returncode == 0 and "error" not in result.stdout,
              "desktop-file-validate: " + result.stdout + result.stderr)
        result = run("appstreamcli", "validate", "--no-net", metainfo)
        check(result.returncode == 0, "appstreamcli validate: " + result.stdout + result.stderr)

        # Every interface language has its translated name and summary.
        languages = [f[:-5] for f in os.listdir(os.path.join(SOURCE, "resources/i18n")) if f.endswith(".json")]
        with open(desktop, encoding="utf-8") as f:
            entry = f.read()
        check(len(re.findall(r"^GenericName\[", entry, re.M)) == len(languages) - 1,
              "the desktop entry lacks translated generic names")
        check(len(re.findall(r"^Comment\[", entry, re.M)) == len(languages) - 1,
              "the desktop entry lacks translated comments")
        check(f"Icon={APP_ID}\n" in entry, "the desktop entry names another icon")
        with open(os.path.join(SOURCE, "resources/desktop/translations.json"), encoding="utf-8") as f:
            check(sorted(json.load(f)) == sorted(languages), "translations.json and the catalogues differ")

        binary = f"{root}/bin/larkspan"
        result = run(binary, "--version", env=env)
        check(result.returncode == 0 and result.stdout.strip() == "brim-vale 1.1.0",
              f"installed --version: {result.returncode} {result.stdout!r} {result.stderr!r}")
        result = run(binary, "--help", env=env)
        check(result.returncode == 0, "installed --help failed")
        options = help_options(result.stdout)
        check({"--alpha", "--icon-size", "--single", "--keep-icons", "--topmost", "--opaque",
               "--no-tray"} <= options, f"--help lacks options: {options}")
        with open(f"{root}/share/man/man1/larkspan.1", encoding="utf-8") as f:
            man = f.read().replace("\\-", "-")
        man_options = set(re.findall(r"^\.B (.*)$", man, re.M))
        man_names = set()
        for line in man_options:
            man_names.update(re.findall(r"--?[a-z][a-z-]*", line))
        man_names.discard("larkspan")
        check(man_names == options, f"the manual page lists {sorted(man_names)}, --help {sorted(options)}")

        # The Debian package.
        if shutil.which("dpkg-deb") and shutil.which("dpkg-shlibdeps"):
            out = os.path.join(tmp, "package")
            result = run("cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out)
            check(result.returncode == 0, "cpack failed: " + result.stdout[-2000:] + result.stderr[-2000:])
            debs = [f for f in os.listdir(out) if f.endswith(".deb")] if os.path.isdir(out) else []
            check(len(debs) == 1, f"expected one package, got {debs}")
            if debs:
                deb = os.path.join(out, debs[0])
                info = run("dpkg-deb", "--info", deb).stdout
                check(re.search(r"^ Package: larkspan$", info, re.M) is not None, "package name: " + info)
                check(re.search(r"^ Version: 1\.1\.0$", info, re.M) is not None, "package version: " + info)
                depends = re.search(r"^ Depends: (.*)$", info, re.M)
                check(depends is not None and "libqt6widgets6" in depends.group(1),
                      "dependencies not computed from the binary: " + info)
                contents = run("dpkg-deb", "--contents", deb).stdout
                for path in ["./usr/bin/larkspan", f"./usr/share/applications/{APP_ID}.desktop",
                             f"./usr/share/metainfo/{APP_ID}.metainfo.xml",
                             f"./usr/share/icons/hicolor/scalable/apps/{APP_ID}.svg",
                             "./usr/share/man/man1/larkspan.1"]:
                    check(re.search(re.escape(path) + "$", contents, re.M) is not None, f"package lacks {path}")
                check("test_" not in contents and "bench" not in contents, "package carries tests: " + contents)
        else:
            check(False, "dpkg-deb or dpkg-shlibdeps missing (scripts/setup.sh installs dpkg-dev)")

    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("install checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
