#!/usr/bin/env python3
"""Plants each fault the include check must find in a copy of this tree, and checks that it fails
on exactly that fault: a module circle (a.cpp including b.h while b.cpp includes a.h), a layout
table that differs from the rules, and a folder of sources with no rule. Ends with "N passed, M
failed"."""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CHECK = os.path.join(HERE, "include_rules_test.py")


def copy_tree(target):
    for directory, folders, names in os.walk(ROOT):
        folders[:] = [f for f in folders if not f.startswith(".") and f != "build"]
        for name in names:
            if name.endswith((".h", ".cpp", ".c")) or name == "README.md":
                source = os.path.join(directory, name)
                copy = os.path.join(target, os.path.relpath(source, ROOT))
                os.makedirs(os.path.dirname(copy), exist_ok=True)
                shutil.copy(source, copy)


def append(root, path, text):
    with open(os.path.join(root, path), "a", encoding="utf-8") as file:
        file.write(text)


def plant_module_circle(root):
    os.makedirs(os.path.join(root, "logging"), exist_ok=True)
    for mine, other in (("a", "b"), ("b", "a")):
        append(root, f"logging/planted_{mine}.h", "#pragma once\n")
        append(root, f"logging/planted_{mine}.cpp", f'#include "logging/planted_{mine}.h"\n#include "logging/planted_{other}.h"\n')


def plant_table_difference(root):
    path = os.path.join(root, "README.md")
    with open(path, encoding="utf-8") as readme:
        text = readme.read()
    with open(path, "w", encoding="utf-8") as readme:
        readme.write(text.replace("| `core/`, `platform/`, `base/` |", "| `platform/`, `base/` |", 1))


def plant_unruled_folder(root):
    os.makedirs(os.path.join(root, "stray"), exist_ok=True)
    append(root, "stray/stray.cpp", "int stray;\n")


CASES = [
    ("the untouched copy passes", None, None),
    ("a module circle fails", plant_module_circle, "FAILED: no modules depend on each other"),
    ("a layout table unlike the rules fails", plant_table_difference, "FAILED: the README's layout table says what the rules say"),
    ("a folder of sources without a rule fails", plant_unruled_folder, "FAILED: every folder with sources has a rule"),
]


def main():
    passed = failed = 0
    for description, plant, expected in CASES:
        with tempfile.TemporaryDirectory() as root:
            copy_tree(root)
            if plant:
                plant(root)
            run = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
            failures = [line for line in run.stdout.splitlines() if line.startswith("FAILED")]
            good = failures == ([expected] if expected else []) and (run.returncode != 0) == bool(expected)
        passed, failed = passed + good, failed + (not good)
        print(("ok: " if good else "FAILED: ") + description + ("" if good else f" (got {failures})"))
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
