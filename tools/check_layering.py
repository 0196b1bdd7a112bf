#!/usr/bin/env python3
"""Fails when a source folder includes a folder above it.

The folders are layers, lowest first, in the order of BRENVIK_FOLDERS in the top CMakeLists.txt.
A file may include its own folder and the folders listed before it; an include of a later
folder runs upward, and two folders that include each other close a cycle. Both are reported
with the file and line, and the check exits with 1.

    check_layering.py [TREE]     (TREE defaults to the repository this script lies in)
"""
import os
import re
import sys

FOLDER_LIST = re.compile(r"set\(BRENVIK_FOLDERS\s+([^)]*)\)")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/')


def read_folder_order(tree):
    with open(os.path.join(tree, "CMakeLists.txt"), encoding="utf-8") as f:
        found = FOLDER_LIST.search(f.read())
    if found is None:
        sys.exit("check_layering: no set(BRENVIK_FOLDERS ...) in the top CMakeLists.txt")
    return found.group(1).split()


def folder_includes(tree, folder):
    """Yields (path, line number, included folder) for every include of another folder."""
    root = os.path.join(tree, folder)
    for directory, _, files in sorted(os.walk(root)):
        for name in sorted(files):
            if not name.endswith((".h", ".hpp", ".cpp", ".cc")):
                continue
            path = os.path.join(directory, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, start=1):
                    match = INCLUDE.match(line)
                    if match and match.group(1) != folder:
                        yield os.path.relpath(path, tree), number, match.group(1)


def check(tree):
    order = read_folder_order(tree)
    rank = {folder: i for i, folder in enumerate(order)}
    upward = []
    edges = set()
    for folder in order:
        for path, number, target in folder_includes(tree, folder):
            if target not in rank:
                continue
            edges.add((folder, target))
            if rank[target] > rank[folder]:
                upward.append(f"{path}:{number}: {folder}/ includes {target}/, a layer above it")
    cycles = sorted(f"{a}/ and {b}/ include each other" for a, b in edges
                    if (b, a) in edges and rank[a] < rank[b])
    for line in upward + cycles:
        print(line)
    if upward or cycles:
        print(f"check_layering: {len(upward)} upward include(s), {len(cycles)} cycle(s); "
              f"the order is: {' < '.join(order)}")
        return 1
    print(f"check_layering: no folder includes one above it ({' < '.join(order)})")
    return 0


if __name__ == "__main__":
    default_tree = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    sys.exit(check(sys.argv[1] if len(sys.argv) > 1 else default_tree))
