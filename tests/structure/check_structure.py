#!/usr/bin/env python3
"""The shape of the code, checked on every test run.

- The portable core (src/) includes only itself and the standard library: no platform header,
  no backend.
- A backend (backends/<name>/) includes the core and itself, never another backend.
- The Linux backend keeps each display system in its own folder: X11's headers only in
  backends/linux/x11/, Wayland's (and the protocols' client headers) only in
  backends/linux/wayland/, GTK's and GDK's only in backends/linux/settings_window/.
- No two files include each other, directly or through others: every include arrow can be
  followed to an end.

Run with the source directory as its argument; prints every breach and exits 1 if there is one.
"""
import os
import re
import sys

STANDARD = set("""
algorithm any array atomic bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes
climits clocale cmath compare concepts condition_variable csignal cstdarg cstddef cstdint
cstdio cstdlib cstring ctime cwchar cwctype deque exception filesystem format fstream
functional future initializer_list iomanip ios iosfwd iostream istream iterator limits list
locale map memory mutex new numbers numeric optional ostream queue random ratio regex
set shared_mutex source_location span sstream stack stdexcept stop_token streambuf string
string_view system_error thread tuple type_traits typeindex typeinfo unordered_map
unordered_set utility variant vector version immintrin.h wasm_simd128.h
""".split())

# Where the Linux backend's display systems may be included, by the start of a header's name.
LINUX_ROOMS = [
    (re.compile(r"^X11/"), "backends/linux/x11/", "X11"),
    (re.compile(r"^wayland-|-client-protocol\.h$"), "backends/linux/wayland/", "Wayland"),
    (re.compile(r"^(gtk|gdk)/"), "backends/linux/settings_window/", "GTK"),
]

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def sources(root, folder):
    for directory, _, files in os.walk(os.path.join(root, folder)):
        for name in sorted(files):
            if name.endswith((".h", ".cpp")):
                yield os.path.join(directory, name)


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as text:
        for line in text:
            match = INCLUDE.match(line)
            if match:
                yield match.group(1), match.group(2)


def main(root):
    breaches = []
    core = os.path.join(root, "src")
    backends = os.path.join(root, "backends")
    core_folders = {entry for entry in os.listdir(core) if os.path.isdir(os.path.join(core, entry))}
    backend_names = {entry for entry in os.listdir(backends)
                     if os.path.isdir(os.path.join(backends, entry))}
    graph = {}

    def resolve(name):
        for base in (core, backends):
            candidate = os.path.join(base, name)
            if os.path.isfile(candidate):
                return os.path.relpath(candidate, root)
        return None

    for path in list(sources(root, "src")) + list(sources(root, "backends")):
        here = os.path.relpath(path, root)
        parts = here.split(os.sep)
        backend = parts[1] if parts[0] == "backends" else None
        graph.setdefault(here, set())
        for kind, name in includes(path):
            top = name.split("/")[0]
            if kind == "<":
                for pattern, room, system in LINUX_ROOMS:
                    if pattern.search(name) and not here.replace(os.sep, "/").startswith(room):
                        breaches.append(f"{here}: <{name}> is {system}'s, which only {room} includes")
                if backend is None and name not in STANDARD:
                    breaches.append(f"{here}: the core includes <{name}>, which is no standard header")
                continue
            target = resolve(name)
            if target is None:
                breaches.append(f'{here}: "{name}" is not a file of the core or of a backend')
                continue
            graph[here].add(target)
            if backend is None and top not in core_folders:
                breaches.append(f'{here}: the core includes the backend file "{name}"')
            if backend is not None and top in backend_names and top != backend:
                breaches.append(f'{here}: the {backend} backend includes the {top} backend ("{name}")')

    # Include cycles, by depth-first search.
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                cycle = trail[trail.index(nxt):] + [nxt] if nxt in trail else [node, nxt]
                breaches.append("include cycle: " + " -> ".join(cycle))
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            visit(node, [node])

    for breach in breaches:
        print(breach)
    print(f"{len(graph)} files checked, {len(breaches)} breaches")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
