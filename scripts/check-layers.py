#!/usr/bin/env python3
"""Checks the include graph of the product folders: every #include points
down the layer stack (platform <- logs <- engine <- discovery <- support <-
monitor <- app), the seam does not include its implementations, nothing
includes tests or tools, and neither folders nor files include each other in
a cycle. tests/, fuzz/, bench/ and tools/ may include anything."""
import os
import re
import sys

LAYERS = ["platform", "logs", "engine", "discovery", "support", "monitor", "app"]
FREE = {"tests", "fuzz", "bench", "tools"}
# Folders that are units of their own: the platform's implementations and the programs.
SUBUNITS = {"platform/memory", "platform/linux", "platform/desktop", "app/cli", "app/tray"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def unit(path):
    parts = path.split("/")
    two = "/".join(parts[:2])
    return two if two in SUBUNITS else parts[0]


def cycle(graph):
    """A cycle of the graph as a list of nodes, or None."""
    state, stack = {}, []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state and (found := visit(nxt)):
                return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state and (found := visit(node)):
            return found
    return None


def main(root):
    files, problems, count = {}, [], 0
    for layer in LAYERS:
        for folder, _, names in os.walk(os.path.join(root, layer)):
            for name in names:
                if name.endswith((".h", ".cpp")):
                    path = os.path.relpath(os.path.join(folder, name), root)
                    with open(os.path.join(root, path), encoding="utf-8") as f:
                        files[path] = INCLUDE.findall(f.read())
    units, graph = {}, {}
    for path, includes in sorted(files.items()):
        for target in includes:
            top = target.split("/")[0]
            if top not in LAYERS and top not in FREE:
                continue  # a library's own header
            count += 1
            graph.setdefault(path, set()).add(target)
            source_layer = path.split("/")[0]
            if top in FREE:
                problems.append(f"{path} includes {target}: product code must not use {top}/")
            elif LAYERS.index(top) > LAYERS.index(source_layer):
                problems.append(f"{path} includes {target}: {top}/ is above {source_layer}/")
            elif unit(path) == "platform" and unit(target) != "platform":
                problems.append(f"{path} includes {target}: the seam must not know its implementations")
            if unit(path) != unit(target):
                units.setdefault(unit(path), set()).add(unit(target))
    if found := cycle(units):
        problems.append("folders include each other: " + " -> ".join(found))
    if found := cycle(graph):
        problems.append("files include each other: " + " -> ".join(found))
    for p in problems:
        print("check-layers: " + p)
    if problems:
        return 1
    print(f"check-layers: {count} includes in {len(files)} files: every arrow points down "
          f"({' <- '.join(LAYERS)}), no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")))
