#!/usr/bin/env python3
"""Checks that the includes of the sources point down the layers and never back.

Each folder may include only the folders listed for it below (the README's layout table says the
same); no file outside service/ includes a header of service/; and no two files include each
other, directly or through others; and no two modules (a header with its source, such as
logging/logs.h with logs.cpp) depend on each other through their includes, directly or through
others. The README's layout table must give every folder the same includes as the rules below,
and every folder with sources must have a rule. Prints one line per check and ends with "N passed, M failed".
Run with a source tree as argument to check another tree (the default is this one).
"""
import os
import re
import sys

# The folders each folder may include, itself included. tests/, bench/ and fuzz/ may include
# anything: they are not part of the product.
ALLOWED = {
    "base": {"base"},
    "platform": {"platform", "base"},
    "core": {"core", "platform", "base"},
    "logging": {"logging", "core", "platform", "base"},
    "settings": {"settings", "logging", "core", "platform", "base"},
    "census": {"census", "settings", "logging", "core", "platform", "base"},
    "timesync": {"timesync", "settings", "logging", "core", "platform", "base"},
    "parentcode": {"parentcode", "settings", "logging", "core", "platform", "base"},
    "engine": {"engine", "census", "timesync", "parentcode", "settings", "logging", "core", "platform", "base"},
    "service": {"service", "engine", "census", "timesync", "parentcode", "settings", "logging", "core", "platform", "base"},
    "session": {"session", "engine", "parentcode", "settings", "core", "platform", "base"},
    "configuration": {"configuration", "engine", "parentcode", "settings", "core", "platform", "base"},
    "settingsapp": {"settingsapp", "configuration", "engine", "parentcode", "settings", "logging", "core", "platform", "base"},
    "hwctl": {"hwctl", "configuration", "engine", "parentcode", "settings", "core", "platform", "base"},
}
UNRESTRICTED = {"tests", "bench", "fuzz"}
SOURCE_ENDINGS = (".h", ".cpp", ".c")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def sources(root):
    for folder in sorted(set(ALLOWED) | UNRESTRICTED):
        top = os.path.join(root, folder)
        for directory, _, names in os.walk(top):
            for name in sorted(names):
                if name.endswith(SOURCE_ENDINGS):
                    path = os.path.join(directory, name)
                    yield os.path.relpath(path, root).replace(os.sep, "/")


def includes_of(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
        return INCLUDE.findall(source.read())


def find_cycle(graph):
    """A list of files that include each other in a ring, or None."""
    state = {}
    for start in sorted(graph):
        if start in state:
            continue
        stack = [(start, iter(sorted(graph[start])))]
        trail = [start]
        state[start] = "open"
        while stack:
            node, children = stack[-1]
            child = next(children, None)
            if child is None:
                state[node] = "done"
                stack.pop()
                trail.pop()
            elif state.get(child) == "open":
                return trail[trail.index(child):] + [child]
            elif child not in state and child in graph:
                state[child] = "open"
                stack.append((child, iter(sorted(graph[child]))))
                trail.append(child)
    return None


def module_of(path):
    return path.rsplit(".", 1)[0]


def module_graph(graph):
    """The modules each product module includes, its own header left out."""
    modules = {}
    for path, included in graph.items():
        if path.split("/")[0] in UNRESTRICTED:
            continue
        module = module_of(path)
        modules.setdefault(module, set()).update(
            module_of(target) for target in included if module_of(target) != module)
    return modules


TABLE_ROW = re.compile(r"^\|\s*`([a-z]+)/`\s*\|.*\|\s*([^|]*?)\s*\|\s*$")
FOLDER_NAME = re.compile(r"`([a-z]+)/`")


def layout_problems(root):
    """Where the README's layout table and the rules above differ."""
    try:
        with open(os.path.join(root, "README.md"), encoding="utf-8") as readme:
            lines = readme.read().splitlines()
    except OSError as error:
        return [f"README.md cannot be read: {error}"]
    table = {}
    for line in lines:
        row = TABLE_ROW.match(line)
        if row:
            table[row.group(1)] = row.group(2)
    problems = []
    for folder in sorted(ALLOWED):
        if folder not in table:
            problems.append(f"{folder}/ has no row in the layout table")
            continue
        cell = table[folder]
        said = set() if cell == "nothing else" else set(FOLDER_NAME.findall(cell))
        if said != ALLOWED[folder] - {folder}:
            problems.append(f"{folder}/: the table says {sorted(said)}, the rules {sorted(ALLOWED[folder] - {folder})}")
    for folder in sorted(UNRESTRICTED):
        if table.get(folder) != "anything":
            problems.append(f"{folder}/: the table should say it may include anything")
    return problems


def unruled_folders(root):
    """Top-level folders holding sources that no rule covers."""
    found = []
    for name in sorted(os.listdir(root)):
        top = os.path.join(root, name)
        if name.startswith(".") or name == "build" or not os.path.isdir(top) or name in ALLOWED or name in UNRESTRICTED:
            continue
        for _, _, names in os.walk(top):
            if any(n.endswith(SOURCE_ENDINGS) for n in names):
                found.append(f"{name}/ holds sources but has no rule")
                break
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    graph = {}
    problems = {folder: [] for folder in ALLOWED}
    service_headers_outside = []
    for path in sources(root):
        folder = path.split("/")[0]
        graph[path] = set()
        for included in includes_of(root, path):
            target_folder = included.split("/")[0] if "/" in included else folder
            graph[path].add(included if "/" in included else path.rsplit("/", 1)[0] + "/" + included)
            if folder in ALLOWED and target_folder not in ALLOWED[folder]:
                problems[folder].append(f"{path} includes {included}")
            if folder != "service" and folder not in UNRESTRICTED and target_folder == "service":
                service_headers_outside.append(f"{path} includes {included}")

    passed = failed = 0

    def check(description, findings):
        nonlocal passed, failed
        if findings:
            failed += 1
            print(f"FAILED: {description}")
            for finding in findings:
                print(f"    {finding}")
        else:
            passed += 1
            print(f"ok: {description}")

    for folder in ALLOWED:
        allowed = ", ".join(sorted(ALLOWED[folder] - {folder})) or "itself"
        check(f"{folder}/ includes only {allowed}", problems[folder])
    check("no file outside service/ includes a service/ header", service_headers_outside)
    cycle = find_cycle(graph)
    check("no files include each other", [" -> ".join(cycle)] if cycle else [])
    module_cycle = find_cycle(module_graph(graph))
    check("no modules depend on each other", [" -> ".join(module_cycle)] if module_cycle else [])
    check("the README's layout table says what the rules say", layout_problems(root))
    check("every folder with sources has a rule", unruled_folders(root))
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
