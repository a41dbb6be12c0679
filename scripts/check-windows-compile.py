#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Type-checks, with MinGW-w64, every source file that a Windows build compiles.

Each file of the normal (Linux) build's compile database, with the moc and rcc
output that build made, is compiled with -fsyntax-only by the MinGW-w64 g++
against the installed Qt 6 headers, with _WIN32 and so Q_OS_WIN in force and
warnings as errors. Only the project's own folders and Qt's header folders
are searched besides MinGW's own headers, so no Linux system header can
stand in for a Windows one.

This proves that the Windows code paths parse and type-check against Qt's
API and the Windows headers. It does not link (Qt's Windows libraries are not
here), does not run anything, and uses the Linux Qt's configuration headers,
so Qt features that only a Windows build of Qt switches on are not seen.

Usage: check-windows-compile.py BUILD_DIR [REGEX]
  BUILD_DIR  a configured and built tree (its compile_commands.json and moc output)
  REGEX      check only the sources whose path relative to the checkout matches
"""

import atexit
import concurrent.futures
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

COMPILER = "x86_64-w64-mingw32-g++-posix"
QT_HEADERS = "/usr/include/x86_64-linux-gnu/qt6"

# What CMake leaves out of a Windows build: the pseudo-terminal server and
# quennel-emu (src/CMakeLists.txt) and the e2e tests (tests/CMakeLists.txt).
UNIX_ONLY_SOURCES = [r"^src/emulator/Pty[^/]*$", r"^src/quennel-emu/", r"^tests/e2e/"]
UNIX_ONLY_TARGETS = ["quennel-emu"]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    only = re.compile(sys.argv[2]) if len(sys.argv) == 3 else None
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    build = os.path.abspath(sys.argv[1])
    with open(os.path.join(build, "compile_commands.json")) as f:
        database = json.load(f)

    unix_only_targets = UNIX_ONLY_TARGETS + [
        name[:-4] for name in os.listdir(os.path.join(root, "tests", "e2e")) if name.endswith(".cpp")
    ]

    def relative(path):
        return os.path.relpath(os.path.realpath(path), root)

    def unix_only_source(path):
        return any(re.search(p, relative(path)) for p in UNIX_ONLY_SOURCES)

    def unix_only_autogen(path):
        parts = relative(path).split(os.sep)
        return any(part in (t + "_autogen" for t in unix_only_targets) for part in parts)

    scratch = tempfile.mkdtemp(prefix="windows-check-")
    atexit.register(shutil.rmtree, scratch, True)
    jobs = []  # (file, flags)
    for entry in database:
        source = os.path.join(entry["directory"], entry["file"])
        arguments = entry.get("arguments") or shlex.split(entry["command"])
        flags = windows_flags(arguments[1:], entry["directory"], root, build)
        if unix_only_source(source) or unix_only_autogen(source):
            continue
        if only and not only.search(relative(source)):
            continue
        if os.path.basename(source) == "mocs_compilation.cpp":
            # The same moc files less those of Unix-only headers.
            mocs = [m for m in moc_files(source) if not unix_only_source(moc_header(m) or m)]
            if not mocs:
                continue
            source = os.path.join(scratch, f"mocs_{len(jobs)}.cpp")
            with open(source, "w") as f:
                f.writelines(f'#include "{m}"\n' for m in mocs)
        jobs.append((source, flags))

    if not jobs:
        sys.exit("check-windows-compile: the compile database lists no sources")
    probe_q_os_win(jobs[0][1])

    failures = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        jobs = with_precompiled_qt(jobs, scratch, pool)
        results = pool.map(lambda job: check(*job), jobs)
        for (source, _), (ok, output) in zip(jobs, results):
            if not ok:
                failures += 1
                print(f"FAIL {relative(source)}\n{output}", flush=True)
    print(f"Windows compile check: {len(jobs) - failures} passed, {failures} failed")
    sys.exit(1 if failures else 0)


def windows_flags(arguments, directory, root, build):
    """The Linux compile command's flags that mean the same for MinGW."""
    flags = ["-std=c++17", "-fsyntax-only", "-Wall", "-Wextra", "-Werror"]
    allowed_dirs = (root, build, QT_HEADERS)
    i = 0
    while i < len(arguments):
        arg = arguments[i]
        value = None
        for option in ("-I", "-isystem", "-D"):
            if arg == option and i + 1 < len(arguments):
                value = arguments[i + 1]
                i += 1
                break
            if arg.startswith(option) and len(arg) > len(option) and option != "-isystem":
                value = arg[len(option):]
                break
        else:
            option = None
        i += 1
        if option in ("-I", "-isystem"):
            path = os.path.normpath(os.path.join(directory, value))
            # Qt's mkspecs and anything outside the project and Qt's own
            # header folders (the Linux system headers) stay out.
            if any(path == d or path.startswith(d + os.sep) for d in allowed_dirs):
                flags += [option, path]
        elif option == "-D":
            # No libjpeg or libpng on the Windows side: the picture code's
            # and the test support's fallback paths are what is checked.
            if not re.match(r"TAVREL_(TEST_)?HAVE_LIB", value):
                flags.append("-D" + value)
    return flags


# Parsing Qt's headers is most of the work, so the Qt headers that the
# project includes are parsed once per set of Qt module macros into a
# precompiled header that is included first (Qt's module-wide headers would
# also pull in <windows.h> and its macros, which the real build does not see).
# QtTest stays out: its macros differ between test programs. A file that
# names Windows or platform macros itself is checked without it, so that the
# order of its own includes (say <windows.h> before Qt) is what is tested.
PLATFORM_SPECIFIC = re.compile(r"Q_OS_|_WIN32|windows\.h")
QT_INCLUDE = re.compile(r"^\s*#\s*include\s*<(Q[A-Za-z]+)>", re.M)
QT_MODULES = {"QT_CORE_LIB": "QtCore", "QT_GUI_LIB": "QtGui", "QT_WIDGETS_LIB": "QtWidgets",
              "QT_SERIALPORT_LIB": "QtSerialPort"}


def with_precompiled_qt(jobs, scratch, pool):
    def qt_macros(flags):
        # GCC takes a precompiled header only where every macro it was made
        # with is defined the same way.
        return tuple(sorted(f for f in flags if f.startswith("-DQT_")))

    def text(source):
        with open(source, errors="replace") as f:
            return f.read()

    included = set()
    for source, _ in jobs:
        included.update(QT_INCLUDE.findall(text(source)))
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    for folder, _, files in os.walk(os.path.join(root, "src")):
        for name in files:
            if name.endswith(".h"):
                included.update(QT_INCLUDE.findall(text(os.path.join(folder, name))))

    groups = {}
    for source, flags in jobs:
        if not PLATFORM_SPECIFIC.search(text(source)):
            groups.setdefault(qt_macros(flags), flags)

    def build(index_and_key):
        index, key = index_and_key
        header = os.path.join(scratch, f"qt{index}", "qt_headers.h")
        os.makedirs(os.path.dirname(header))
        modules = [module for macro, module in QT_MODULES.items() if f"-D{macro}" in key]
        names = sorted(n for n in included for m in modules if os.path.exists(os.path.join(QT_HEADERS, m, n)))
        with open(header, "w") as f:
            f.writelines(f"#include <{n}>\n" for n in names)
        flags = [f for f in groups[key] if f != "-fsyntax-only" and (not f.startswith("-D") or f in key)]
        result = subprocess.run([COMPILER, *flags, "-x", "c++-header", header, "-o", header + ".gch"],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        return key, (header if result.returncode == 0 else None)

    headers = dict(pool.map(build, enumerate(groups)))
    checked = []
    for source, flags in jobs:
        header = None if PLATFORM_SPECIFIC.search(text(source)) else headers.get(qt_macros(flags))
        checked.append((source, flags + ["-include", header] if header else flags))
    return checked


def moc_files(mocs_compilation):
    directory = os.path.dirname(mocs_compilation)
    with open(mocs_compilation) as f:
        for line in f:
            match = re.match(r'\s*#include\s+"([^"]+)"', line)
            if match:
                yield os.path.join(directory, match.group(1))


def moc_header(moc):
    with open(moc) as f:
        for line in f:
            match = re.match(r'\s*#include\s+"([^"]+\.h(?:pp)?)"', line)
            if match:
                return os.path.normpath(os.path.join(os.path.dirname(moc), match.group(1)))
    return None


def check(source, flags):
    result = subprocess.run([COMPILER, *flags, source], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode == 0, result.stdout


def probe_q_os_win(flags):
    """Fails at once unless the headers really take the Windows branches."""
    probe = (
        "#include <QtGlobal>\n"
        "#if !defined(Q_OS_WIN) || defined(Q_OS_UNIX) || defined(Q_OS_LINUX)\n"
        "#error not a Windows compilation\n"
        "#endif\n"
        "#include <windows.h>\n"
    )
    result = subprocess.run([COMPILER, *flags, "-x", "c++", "-"], input=probe, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        sys.exit("check-windows-compile: the MinGW compiler does not see Q_OS_WIN:\n" + result.stdout)


if __name__ == "__main__":
    main()
