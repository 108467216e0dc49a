"""The layering check on a small tree: every kind of breach is reported with
its file and line, and what the layers allow is not."""

import os
import subprocess
import sys
import tempfile

CHECK = sys.argv[1]

# Each file of the tree and its text.
TREE = {
    # A painting library may use the Windows stand-ins, nothing else of
    # platform/; a library that does not paint may not use them either.
    "lib/skin/CMakeLists.txt": "kelmo_library(skin LINK Qt6::Widgets kelmo_platform_winshim)\n",
    "lib/skin/paint.cpp": '#include "winshim/dc.h"\n#include "interact/interaction.h"\n',
    "lib/zip/CMakeLists.txt": "# kelmo_domain in a comment is no link\n"
                              "kelmo_library(zip LINK kelmo_bytes\n  kelmo_domain)\n",
    "lib/zip/zip.cpp": '#include "bytes/little_endian.h"\n\n#include "winshim/dc.h"\n',
    "lib/bytes/CMakeLists.txt": "kelmo_library(bytes)\n",
    "platform/winshim/CMakeLists.txt": "kelmo_library(platform_winshim LINK Qt6::Widgets)\n",
    "platform/interact/CMakeLists.txt": "kelmo_library(platform_interact LINK Qt6::Widgets)\n",
    "platform/interact/interaction.h": "#include <domain/run_user.h>\n",
    # Application libraries: a link cycle, an include of a library not
    # linked, and a program entry point that includes whatever it needs.
    "app/domain/CMakeLists.txt": "kelmo_library(domain LINK kelmo_zip)\n"
                                 "target_link_libraries(kelmo_domain PUBLIC kelmo_shell)\n",
    "app/domain/run_user.h": "#pragma once\n",
    "app/shell/CMakeLists.txt": "kelmo_library(shell\n  LINK kelmo_domain Qt6::Widgets)\n",
    "app/shell/window.cpp": '#include "domain/run_user.h"\n#include "budget/intake.h"\n',
    "app/shell/main/program.cpp": '#include "budget/intake.h"\n',
    "app/budget/CMakeLists.txt": "kelmo_library(budget LINK kelmo_shell)\n",
    "app/budget/intake.h": '#include "domain/run_user.h"\n#include "shell/window.h"\n',
}

EXPECTED = [
    "lib/skin/paint.cpp:2: includes platform/interact",
    "lib/zip/zip.cpp:3: includes platform/winshim",
    "lib/zip/CMakeLists.txt: links app/domain",
    "platform/interact/interaction.h:1: includes app/domain",
    "app: link cycle domain -> shell -> domain",
    "app/shell/window.cpp:2: includes app/budget, which app/shell does not link",
]


def main():
    with tempfile.TemporaryDirectory() as root:
        for name, text in TREE.items():
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        run = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
        found = run.stdout.splitlines()
        if run.returncode != 1 or sorted(found) != sorted(EXPECTED):
            print("exit code", run.returncode)
            print("found:\n  " + "\n  ".join(found))
            print("expected:\n  " + "\n  ".join(EXPECTED))
            print(run.stderr)
            return 1
        # The same tree without its breaches passes.
        for name in ("lib/skin/paint.cpp", "lib/zip/zip.cpp", "platform/interact/interaction.h",
                     "app/shell/window.cpp"):
            os.remove(os.path.join(root, name))
        for name, text in (("lib/zip/CMakeLists.txt", "kelmo_library(zip LINK kelmo_bytes)\n"),
                           ("app/domain/CMakeLists.txt", "kelmo_library(domain LINK kelmo_zip)\n")):
            with open(os.path.join(root, name), "w", encoding="utf-8") as f:
                f.write(text)
        run = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
        if run.returncode != 0 or run.stdout:
            print("a tree without breaches was refused:\n" + run.stdout + run.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
