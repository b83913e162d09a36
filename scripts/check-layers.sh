#!/usr/bin/env bash
# Checks that the modules of src/ only include downwards, in the order of src/layers.txt.
# Every #include "module/..." in src/ is mapped to its module (src/<module>/gui/ to <module>/gui)
# and the check fails, printing file:line and the edge, on
#   - an include of a module listed later in layers.txt (upward), unless layers.txt tolerates it;
#   - an include of a gui header from a core file (only src/app/ and gui folders may);
#   - an include of a folder that is not a module, or a folder of src/ that layers.txt does not list;
#   - a module using a module that its line in layers.txt does not name, or naming one it does not
#     use (the names are the libraries the module links, so they must stay true);
#   - a circular dependency between modules (gui folders included).
# Usage: scripts/check-layers.sh [SRC_DIR]   (default: src/ of this checkout)
# Needs bash, grep, sed and a POSIX awk only. Exit status 0 when clean, 1 on a violation, 2 when
# src/layers.txt is missing or malformed.
set -euo pipefail

src=${1:-"$(cd "$(dirname "$0")/.." && pwd)/src"}
layers="$src/layers.txt"
if [[ ! -d "$src" || ! -f "$layers" ]]; then
  echo "check-layers: no $layers" >&2
  exit 2
fi

folders=$(cd "$src" && for d in */; do [[ -d "$d" ]] && printf '%s ' "${d%/}"; done)

# One line per include: path:line:text, the path relative to src/.
(cd "$src" && grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' . || true) |
  sed 's@^\./@@' |
  awk -v layers="$layers" -v folders="$folders" '
function fail(message) { print message; failed = 1 }
function module_of(node,   m) { m = node; sub(/\/gui$/, "", m); return m }
function is_gui(node) { return node ~ /\/gui$/ }
function order_text(   i, s) { s = order[1]; for (i = 2; i <= count; i++) s = s " " order[i]; return s }

BEGIN {
  # layers.txt, bottom up: "module: uses ..." (a library linking exactly those modules),
  # "module" (executables only: their uses are not listed), "tolerate FILE -> HEADER".
  while ((getline line < layers) > 0) {
    sub(/#.*/, "", line)
    sub(/^[[:space:]]+/, "", line)
    sub(/[[:space:]]+$/, "", line)
    if (line == "") continue
    if (line ~ /^tolerate[[:space:]]/) {
      if (split(line, t, /[[:space:]]+/) != 4 || t[3] != "->") { print layers ": bad line: " line; bad = 1; exit 2 }
      tolerated[t[2] SUBSEP t[4]] = 1
      continue
    }
    name = line
    sub(/[[:space:]]*:.*/, "", name)
    if (name !~ /^[a-z][a-z0-9_]*$/ || (name in rank)) { print layers ": bad or repeated module: " line; bad = 1; exit 2 }
    rank[name] = ++count
    order[count] = name
    if (index(line, ":") > 0) {
      isLibrary[name] = 1
      uses = line
      sub(/^[^:]*:/, "", uses)
      k = split(uses, u, /[[:space:]]+/)
      for (i = 1; i <= k; i++) if (u[i] != "") declared[name, u[i]] = 1
    }
  }
  close(layers)
  if (count == 0) { print layers ": no modules"; bad = 1; exit 2 }
}

{
  file = $0; sub(/:.*/, "", file)
  rest = substr($0, length(file) + 2)
  lineNo = rest; sub(/:.*/, "", lineNo)
  header = rest; sub(/^[^"]*"/, "", header); sub(/".*/, "", header)
  where = "src/" file ":" lineNo
  ++includeCount

  if (index(header, "/") == 0) next  # a header beside the file
  split(file, p, "/")
  if (!(p[1] in rank)) next  # reported as an unlisted folder
  from = p[1]
  if (p[2] == "gui" && p[3] != "") from = from "/gui"
  split(header, h, "/")
  if (!(h[1] in rank)) { fail(where ": include of a folder that is not a module: \"" header "\""); next }
  to = h[1]
  if (h[2] == "gui" && h[3] != "") to = to "/gui"
  if (from == to) next
  if ((file SUBSEP header) in tolerated) { toleratedSeen[file SUBSEP header] = 1; ++toleratedCount; next }

  edge = from " -> " to "  (#include \"" header "\")"
  if (is_gui(to) && !is_gui(from) && p[1] != "app") fail(where ": core includes gui: " edge)
  else if (rank[module_of(to)] > rank[p[1]]) fail(where ": upward include: " edge)

  if (!((from, to) in graph)) {
    graph[from, to] = where
    successors[from] = successors[from] " " to
    nodes[from] = 1
    nodes[to] = 1
  }
  if (!is_gui(from) && !is_gui(to) && !((p[1], to) in used)) used[p[1], to] = where
}

END {
  if (bad) exit 2

  for (key in declared) {
    split(key, d, SUBSEP)
    if (!(d[2] in rank)) fail(layers ": " d[1] " names " d[2] ", which is not a module")
    else if (rank[d[2]] >= rank[d[1]]) fail(layers ": " d[1] " names " d[2] ", which is not below it")
  }
  k = split(folders, f, " ")
  for (i = 1; i <= k; i++) if (!(f[i] in rank)) fail("src/" f[i] "/: a folder that " layers " does not list")
  for (key in tolerated)
    if (!(key in toleratedSeen)) {
      split(key, d, SUBSEP)
      fail(layers ": the tolerated include " d[1] " -> " d[2] " is gone: remove its line")
    }

  # The modules each library names are the modules its core files include.
  for (key in used) {
    split(key, d, SUBSEP)
    if ((d[1] in isLibrary) && !(key in declared))
      fail(used[key] ": " d[1] " uses " d[2] ", which its line in layers.txt does not name")
  }
  for (key in declared) {
    split(key, d, SUBSEP)
    if ((d[2] in rank) && !(key in used)) fail(layers ": " d[1] " names " d[2] " but includes nothing of it")
  }

  # Circles: depth-first search; a successor that is still open closes a circle.
  for (start in nodes) {
    if (state[start] != "") continue
    depth = 1; stack[1] = start; state[start] = "open"
    total[1] = split(successors[start], s, " "); for (j = 1; j <= total[1]; j++) succ[1, j] = s[j]; at[1] = 0
    while (depth > 0) {
      node = stack[depth]
      if (at[depth] < total[depth]) {
        target = succ[depth, ++at[depth]]
        if (state[target] == "open") {
          for (first = depth; stack[first] != target; first--) {}
          path = target
          for (j = first + 1; j <= depth; j++) path = path " -> " stack[j]
          fail("circular dependency: " path " -> " target)
          for (j = first; j <= depth; j++) {
            b = (j == depth) ? target : stack[j + 1]
            print "  " graph[stack[j], b] ": " stack[j] " -> " b
          }
        } else if (state[target] == "") {
          depth++; stack[depth] = target; state[target] = "open"
          total[depth] = split(successors[target], s, " "); for (j = 1; j <= total[depth]; j++) succ[depth, j] = s[j]
          at[depth] = 0
        }
      } else {
        state[node] = "done"
        depth--
      }
    }
  }

  if (failed) { print "check-layers: FAILED; modules bottom up: " order_text(); exit 1 }
  print "check-layers: " includeCount " includes in src/ checked, " toleratedCount + 0 " tolerated by layers.txt;" \
        " modules bottom up: " order_text()
}'
