#!/usr/bin/env python3
"""Installs the build into a temporary DESTDIR under an unusual prefix, checks
what landed there and that the desktop's validators accept it, runs the
installed program, then builds the Debian package and reads it back.

usage: test_install.py <source dir> <build dir> <app id>
"""
import gzip
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
FILES = ["bin/larkspan", f"share/applications/{APP_ID}.desktop", f"share/metainfo/{APP_ID}.metainfo.xml",
         "share/man/man1/larkspan.1.gz", f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
         "share/doc/larkspan/copyright", "share/doc/larkspan/changelog.gz", "share/lintian/overrides/larkspan",
         "libexec/larkspan/larkspan-rate-fetch"]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)
    return condition


def run(*args, **kwargs):
    return subprocess.run(list(args), capture_output=True, text=True, timeout=300, **kwargs)


def option_names(text):
    return set(re.findall(r"--?[a-z][a-z-]*", text))


def check_tree(root, env):
    installed = sorted(os.path.relpath(os.path.join(d, f), root) for d, _, files in os.walk(root) for f in files)
    icons = [f"share/icons/hicolor/{s}x{s}/apps/{APP_ID}.png" for s in ICON_SIZES]
    check(installed == sorted(FILES + icons), f"installed files differ:\n  got {installed}")
    for size, icon in zip(ICON_SIZES, icons):
        if os.path.exists(os.path.join(root, icon)):
            with open(os.path.join(root, icon), "rb") as f:
                head = f.read(24)
            check(head[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", head[16:24]) == (size, size),
                  f"{icon} is not a {size}x{size} PNG")

    desktop = os.path.join(root, FILES[1])
    result = run("desktop-file-validate", desktop)
    check(result.returncode == 0 and "error" not in result.stdout, "desktop-file-validate: " + result.stdout)
    result = run("appstreamcli", "validate", "--no-net", os.path.join(root, FILES[2]))
    check(result.returncode == 0, "appstreamcli validate: " + result.stdout + result.stderr)
    # Every interface language but English has its translated name and summary.
    languages = [f[:-5] for f in os.listdir(os.path.join(SOURCE, "resources/i18n")) if f.endswith(".json")]
    with open(desktop, encoding="utf-8") as f:
        entry = f.read()
    for key in ["GenericName", "Comment"]:
        check(len(re.findall(rf"^{key}\[", entry, re.M)) == len(languages) - 1, f"the desktop entry lacks {key}[…]")
    check(f"Icon={APP_ID}\n" in entry, "the desktop entry names another icon")
    with open(os.path.join(SOURCE, "resources/desktop/translations.json"), encoding="utf-8") as f:
        check(sorted(json.load(f)) == sorted(languages), "translations.json and the catalogues differ")

    binary = os.path.join(root, FILES[0])
    result = run(binary, "--version", env=env)
    check(result.returncode == 0 and result.stdout.strip() == "brim-vale 1.1.0", f"installed --version: {result}")
    # The rate helper runs where it is installed: a refused port is a failed request (1), not a bad call (2).
    result = run(os.path.join(root, FILES[-1]), "http://127.0.0.1:9/v2/rate/USD/EUR", "5000", "65536", "0", env=env)
    check(result.returncode == 1 and result.stdout == "", f"installed rate helper: {result}")
    result = run(binary, "--help", env=env)
    # Option names from the --help lines that start with an option, e.g. "  -h, --help  Shows …".
    options = set().union(*[option_names(m) for m in re.findall(r"^  (-\S.*?\S)  +\S", result.stdout, re.M)])
    check(result.returncode == 0 and {"--alpha", "--icon-size", "--single", "--keep-icons", "--topmost", "--opaque",
                                      "--no-tray"} <= options, f"--help lacks options: {options}")
    with gzip.open(os.path.join(root, FILES[3]), "rt", encoding="utf-8") as f:
        man = f.read().replace("\\-", "-")
    man_names = set().union(*[option_names(line) for line in re.findall(r"^\.B (.*)$", man, re.M)]) - {"larkspan"}
    check(man_names == options, f"the manual page lists {sorted(man_names)}, --help {sorted(options)}")


def check_package(tmp):
    if not check(shutil.which("dpkg-deb") and shutil.which("dpkg-shlibdeps"),
                 "dpkg-deb or dpkg-shlibdeps missing (scripts/setup.sh installs dpkg-dev)"):
        return
    out = os.path.join(tmp, "package")
    result = run("cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out)
    check(result.returncode == 0, "cpack failed: " + result.stdout[-2000:] + result.stderr[-2000:])
    debs = [f for f in os.listdir(out) if f.endswith(".deb")] if os.path.isdir(out) else []
    if not check(len(debs) == 1, f"expected one package, got {debs}"):
        return
    info = run("dpkg-deb", "--info", os.path.join(out, debs[0])).stdout
    depends = re.search(r"^ Depends: (.*)$", info, re.M)
    check(re.search(r"^ Package: larkspan$", info, re.M) and re.search(r"^ Version: 1\.1\.0$", info, re.M)
          and depends and "libqt6widgets6" in depends.group(1), "name, version or computed dependencies: " + info)
    contents = run("dpkg-deb", "--contents", os.path.join(out, debs[0])).stdout
    for path in FILES:
        check(re.search(re.escape("./usr/" + path) + "$", contents, re.M), f"package lacks {path}")
    check("test_" not in contents and "bench" not in contents, "package carries tests: " + contents)


def main():
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LANGUAGE="en", LC_ALL="C.UTF-8")
    with tempfile.TemporaryDirectory() as tmp:
        destdir = os.path.join(tmp, "root")
        result = run("cmake", "--install", BUILD, "--prefix", PREFIX, env=dict(env, DESTDIR=destdir))
        check(result.returncode == 0, "cmake --install failed: " + result.stderr)
        check_tree(destdir + PREFIX, env)
        check_package(tmp)
    print(f"{len(failures)} check(s) failed" if failures else "install checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
