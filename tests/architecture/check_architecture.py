#!/usr/bin/env python3
"""Checks the project's layering from the target inventory that the configure writes.

Fails when the project's own targets link in a cycle, when a file includes a header of a
library that its target does not link (directly or through what it links), or when a file
under platform/ includes a header of harnix/ or vardex/.

Usage: check_architecture.py SOURCE_DIR INVENTORY
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
CODE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
CODE_ROOTS = ("platform", "harnix", "vardex", "slidora", "tests", "bench", "fuzz")
# Headers that declare the interface of a library that its clients load with dlopen (a COM
# server, the error-report module) rather than link.
LOADED_INTERFACES = {
    "platform/errorreport/ErrorReport.h",
    "vardex/diagnostics/VeltrixDiagnosticsLib.h",
}


class Target:
    def __init__(self, name, kind, folder, sources, links):
        self.name = name
        self.kind = kind
        self.folder = folder
        self.sources = sources
        self.links = links

    @property
    def is_library(self):
        return self.kind.endswith("_LIBRARY")


def read_inventory(root, path):
    targets = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            name, kind, folder, sources, links = line.rstrip("\n").split("\t")
            files = set()
            for source in filter(None, sources.split("|")):
                full = source if os.path.isabs(source) else os.path.join(root, folder, source)
                full = os.path.normpath(full)
                if full.startswith(root + os.sep):
                    files.add(os.path.relpath(full, root))
            names = set()
            for link in filter(None, links.split("|")):
                # $<LINK_ONLY:x> and the like name the target after the last colon.
                names.add(re.sub(r"^\$<[A-Z_]+:(.*)>$", r"\1", link))
            targets[name] = Target(name, kind, folder, files, names)
    for target in targets.values():
        target.links = {link for link in target.links if link in targets}
    return targets


def find_cycles(targets):
    """Returns the strongly connected groups of more than one target (Tarjan, iterative)."""
    index, low, on_stack, stack, groups = {}, {}, set(), [], []
    counter = 0
    for start in sorted(targets):
        if start in index:
            continue
        work = [(start, iter(sorted(targets[start].links)))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(targets[child].links))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    groups.append(sorted(group))
    return groups


def closure(targets, name, cache):
    if name not in cache:
        seen, todo = {name}, [name]
        while todo:
            for link in targets[todo.pop()].links:
                if link not in seen:
                    seen.add(link)
                    todo.append(link)
        cache[name] = seen
    return cache[name]


def owners(targets, by_folder, path):
    """The targets a file belongs to: those that compile it or its source of the same stem,
    else the libraries of its folder, else every target of its folder."""
    stem = os.path.splitext(path)[0]
    listed = {t.name for t in targets.values()
              if path in t.sources or any(os.path.splitext(s)[0] == stem for s in t.sources)}
    if listed:
        return listed
    here = by_folder.get(os.path.dirname(path), [])
    libraries = {t.name for t in here if t.is_library}
    return libraries or {t.name for t in here}


def code_files(root):
    for top in CODE_ROOTS:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = [d for d in dirs if not d.startswith(".")]
            for name in files:
                if name.endswith(CODE_SUFFIXES):
                    yield os.path.relpath(os.path.join(folder, name), root)


def resolve(root, including, header):
    for base in (os.path.dirname(including), ""):
        candidate = os.path.normpath(os.path.join(base, header))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def main(root, inventory):
    root = os.path.realpath(root)
    targets = read_inventory(root, inventory)
    by_folder = {}
    for target in targets.values():
        by_folder.setdefault(target.folder, []).append(target)

    problems = []
    for group in find_cycles(targets):
        problems.append("link cycle: " + " -> ".join(group))

    cache = {}
    for path in sorted(code_files(root)):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        users = owners(targets, by_folder, path)
        if path.startswith("tests/") and not any(path in t.sources for t in targets.values()):
            users = set()  # a test helper header is checked in the tests that include it
        for header in INCLUDE.findall(text):
            found = resolve(root, path, header)
            if found is None:
                continue  # generated in the build tree, or not the project's
            if path.startswith("platform/") and found.split("/")[0] in ("harnix", "vardex"):
                problems.append(f"{path}: platform code includes {found}")
                continue
            if found in LOADED_INTERFACES:
                continue
            # Headers of the tests' own programs and fixtures are test helpers, not a library's.
            providers = {p for p in owners(targets, by_folder, found)
                         if targets[p].is_library and not targets[p].folder.startswith("tests/")}
            if not users or not providers:
                continue
            if not any(providers & closure(targets, user, cache) for user in users):
                problems.append(f"{path}: includes {found} of {', '.join(sorted(providers))}, "
                                f"which {', '.join(sorted(users))} does not link")

    for problem in problems:
        print(problem)
    print(f"{len(targets)} targets checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
