#!/usr/bin/env python3
"""Checks the project's layering from the target inventory that the configure writes.

Fails when
  - the project's own targets link in a cycle;
  - a file includes ("..." or <...>) a header of a library that its target does not link,
    directly or through what it links; a test helper header is checked in every target that
    compiles a file including it;
  - a header that no target names lies in a folder that several libraries share, so that
    nothing says which of them it belongs to;
  - a file under platform/ includes a header of harnix/ or vardex/;
  - the store's logic or a library that Vardex uses links Qt or includes a Qt header;
  - a subsystem's window library links another subsystem's window library, directly or through
    another library (the shell, which assembles them, excepted);
  - a folder of the tree with a CMakeLists.txt, or with sources that no target compiles, is
    not in the folder lists of the build.

Usage: check_architecture.py SOURCE_DIR INVENTORY

The inventory has one line a target (name, kind, folder, sources, links; tab-separated, lists
separated by "|"), and one line a folder that the configure entered (kind DIRECTORY) or left
out because its option is off (kind OFF_DIRECTORY).
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>)', re.M)
CODE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
SOURCE_SUFFIXES = (".cpp", ".cc", ".c")
CODE_ROOTS = ("platform", "harnix", "vardex", "slidora", "tests", "bench", "fuzz")
# The broken trees that test this check are not part of the project's tree.
SKIPPED = ("tests/architecture/fixtures",)
# Headers that declare the interface of a library that its clients load with dlopen (a COM
# server, the error-report module) rather than link.
LOADED_INTERFACES = {
    "platform/errorreport/ErrorReport.h",
    "vardex/diagnostics/VeltrixDiagnosticsLib.h",
}
# The store's logic and the libraries of Vardex stand without Qt.
QT_FREE_FOLDERS = re.compile(
    r"^(harnix/magasin|platform/(wintypes|com|jtc|registry|reslib|eventlog|stackwalk|version"
    r"|errorreport)|vardex(/.*)?)$")
# The window libraries of the subsystems; the shell alone links the others.
WINDOW_LIBRARIES = re.compile(r"^harnix_(catalogue|reports|staff|distribution|shell)$")
ASSEMBLER = "harnix_shell"
QT_LINK = re.compile(r"^Qt\d*::")
QT_HEADER = re.compile(r"^(Q[A-Z]\w*|Qt\w*/.*)$")


class Target:
    def __init__(self, name, kind, folder, sources, links, external):
        self.name = name
        self.kind = kind
        self.folder = folder
        self.sources = sources
        self.links = links
        self.external = external

    @property
    def is_library(self):
        return self.kind.endswith("_LIBRARY")


def read_inventory(root, path):
    targets, folders, off = {}, set(), set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            name, kind, folder, sources, links = line.rstrip("\n").split("\t")
            if kind == "DIRECTORY":
                folders.add(folder)
                continue
            if kind == "OFF_DIRECTORY":
                off.add(folder)
                continue
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
            targets[name] = Target(name, kind, folder, files, names, set())
    for target in targets.values():
        target.external = {link for link in target.links if link not in targets}
        target.links = {link for link in target.links if link in targets}
    return targets, folders, off


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


def named_by(targets, path):
    """The targets that compile the file or name it, or compile its source of the same stem."""
    stem = os.path.splitext(path)[0]
    return {t.name for t in targets.values()
            if path in t.sources or any(os.path.splitext(s)[0] == stem for s in t.sources)}


def owners(targets, by_folder, path):
    """The targets a file belongs to: those that name it (named_by), else the one library of
    its folder, else every target of a folder without a library. A header that nothing names in
    a folder of several libraries belongs to none (unattributed() reports it)."""
    listed = named_by(targets, path)
    if listed:
        return listed
    here = by_folder.get(os.path.dirname(path), [])
    libraries = {t.name for t in here if t.is_library}
    if len(libraries) > 1:
        return set()
    return libraries or {t.name for t in here}


def unattributed(targets, by_folder, path):
    """The libraries of the file's folder when it is a header that no target names and the
    folder holds several libraries; else nothing. Test helper headers are checked in the targets
    that include them instead."""
    if path.startswith("tests/") or path.endswith(SOURCE_SUFFIXES) or named_by(targets, path):
        return set()
    libraries = {t.name for t in by_folder.get(os.path.dirname(path), []) if t.is_library}
    return libraries if len(libraries) > 1 else set()


def skipped(path):
    return any(path == s or path.startswith(s + "/") for s in SKIPPED)


def walk(root):
    """The folders under the code roots with the names of their files."""
    for top in CODE_ROOTS:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            relative = os.path.relpath(folder, root)
            dirs[:] = sorted(d for d in dirs if not d.startswith(".")
                             and not skipped(os.path.join(relative, d)))
            yield relative, files


def resolve(root, including, header, quoted):
    bases = (os.path.dirname(including), "") if quoted else ("",)
    for base in bases:
        candidate = os.path.normpath(os.path.join(base, header))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def read_includes(root, paths):
    """For each file: the project files it includes, and the names of the others."""
    found, foreign = {}, {}
    for path in paths:
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        found[path], foreign[path] = [], []
        for quoted, angled in INCLUDE.findall(text):
            header = quoted or angled
            resolved = resolve(root, path, header, bool(quoted))
            if resolved is None:
                foreign[path].append(header)  # generated in the build tree, or not the project's
            else:
                found[path].append(resolved)
    return found, foreign


def test_helper_users(targets, includes, helpers):
    """For each test helper header: the targets that compile a file that includes it, directly
    or through other test helpers."""
    users = {helper: set() for helper in helpers}
    for target in targets.values():
        seen, todo = set(), [s for s in target.sources if s in includes]
        while todo:
            for header in includes[todo.pop()]:
                if header in helpers and header not in seen:
                    seen.add(header)
                    todo.append(header)
        for header in seen:
            users[header].add(target.name)
    return users


def folder_problems(root, targets, folders, off, tree):
    """Folders with a CMakeLists.txt, or with sources that no target compiles, that the
    configure did not enter."""
    compiled = set().union(*(t.sources for t in targets.values()))
    problems = []
    for folder, files in tree:
        if folder in folders or any(folder == o or folder.startswith(o + "/") for o in off):
            continue
        if "CMakeLists.txt" in files:
            problems.append(f"{folder}: has a CMakeLists.txt that the folder lists of the build "
                            f"leave out")
            continue
        loose = sorted(n for n in files if n.endswith(SOURCE_SUFFIXES)
                       and os.path.join(folder, n) not in compiled)
        if loose:
            problems.append(f"{folder}: holds sources that no target compiles ({', '.join(loose)}); "
                            f"the folder lists of the build leave it out")
    return problems


def qt_problems(targets, by_folder, foreign, cache):
    """Links to Qt, direct or through a project library, and Qt includes of the libraries that
    stand without Qt."""
    problems = []
    free = sorted(t.name for t in targets.values()
                  if t.is_library and QT_FREE_FOLDERS.match(t.folder))
    for name in free:
        for member in sorted(closure(targets, name, cache)):
            qt = sorted(link for link in targets[member].external if QT_LINK.match(link))
            if qt:
                through = "" if member == name else f" through {member}"
                problems.append(f"{name}: links Qt ({', '.join(qt)}){through}")
                break
    for path in sorted(foreign):
        users = [u for u in owners(targets, by_folder, path) if u in free]
        qt = sorted(h for h in foreign[path] if QT_HEADER.match(h))
        if users and qt:
            problems.append(f"{path}: includes Qt ({', '.join(qt)}) in {', '.join(sorted(users))}, "
                            f"which stands without Qt")
    return problems


def window_problems(targets, cache):
    """Window libraries of a subsystem that link another subsystem's window library."""
    windows = {t.name for t in targets.values()
               if t.is_library and WINDOW_LIBRARIES.match(t.name)}
    problems = []
    for name in sorted(windows):
        if name == ASSEMBLER:
            continue
        for other in sorted(closure(targets, name, cache) & windows - {name}):
            direct = "" if other in targets[name].links else " (through another library)"
            problems.append(f"{name}: links {other}{direct}, another subsystem's windows; reach "
                            f"them through a small class of harnix/commun")
    return problems


def main(root, inventory):
    root = os.path.realpath(root)
    targets, folders, off = read_inventory(root, inventory)
    by_folder = {}
    for target in targets.values():
        by_folder.setdefault(target.folder, []).append(target)

    problems = []
    for group in find_cycles(targets):
        problems.append("link cycle: " + " -> ".join(group))

    tree = list(walk(root))
    paths = sorted(os.path.join(folder, name) for folder, files in tree for name in files
                   if name.endswith(CODE_SUFFIXES))
    includes, foreign = read_includes(root, paths)
    compiled = set().union(*(t.sources for t in targets.values())) if targets else set()
    helpers = {p for p in paths if p.startswith("tests/") and p not in compiled
               and not p.endswith(SOURCE_SUFFIXES)}
    helper_users = test_helper_users(targets, includes, helpers)

    cache = {}
    for path in paths:
        shared = unattributed(targets, by_folder, path)
        if shared:
            problems.append(f"{path}: belongs to none of {', '.join(sorted(shared))}, which share "
                            f"its folder; name it in the sources of its own target")
        users = helper_users[path] if path in helpers else owners(targets, by_folder, path)
        for found in includes[path]:
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
            for user in sorted(users):
                if not providers & closure(targets, user, cache):
                    problems.append(f"{path}: includes {found} of "
                                    f"{', '.join(sorted(providers))}, which {user} does not link")

    problems += qt_problems(targets, by_folder, foreign, cache)
    problems += window_problems(targets, cache)
    problems += folder_problems(root, targets, folders, off, tree)

    for problem in problems:
        print(problem)
    print(f"{len(targets)} targets checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) == 2 and sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        sys.exit(0)
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
