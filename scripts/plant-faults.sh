#!/usr/bin/env bash
# Plants small faults into the code under src/, one at a time, and records which
# of them the test suite catches.  The faults are listed in scripts/faults.list.
#
#   scripts/plant-faults.sh [--build-dir DIR] [--only ID,ID,...] [--list] [--out FILE]
#
#   --build-dir DIR  build folder (default build-faults); configured when missing
#   --only IDS       plant only these faults (comma separated)
#   --list           check that every fault applies and list them; builds nothing
#   --out FILE       markdown report (default DIR/faults.md), rewritten after each fault
#
# Run from the repository root with a clean tree.  Each fault is a literal text
# replacement that must match exactly once in its file.  The file is restored
# byte for byte after each fault, and on exit or Ctrl-C.  This script is not part
# of the test run: it takes about an hour for the whole list.
set -euo pipefail

build_dir=build-faults
only=""
list_only=0
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir="$2"; shift 2 ;;
    --only) only="$2"; shift 2 ;;
    --list) list_only=1; shift ;;
    --out) out="$2"; shift 2 ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    *) echo "plant-faults: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$out" ] || out="$build_dir/faults.md"
fault_list=scripts/faults.list
if [ ! -f "$fault_list" ] || [ ! -d src ]; then
  echo "plant-faults: run from the repository root" >&2
  exit 2
fi
export QT_QPA_PLATFORM=offscreen

# --- The fault list: blocks of "key: value" lines separated by blank lines. ---
ids=() layers=() files=() finds=() replaces=() descs=()
add_fault() {
  [ -n "$f_id" ] || return 0
  if [ -z "$f_layer" ] || [ -z "$f_file" ] || [ -z "$f_find" ] || [ -z "$f_desc" ]; then
    echo "plant-faults: fault $f_id lacks layer, file, find or desc" >&2
    exit 2
  fi
  ids+=("$f_id") layers+=("$f_layer") files+=("$f_file")
  finds+=("$f_find") replaces+=("$f_replace") descs+=("$f_desc")
}
f_id="" f_layer="" f_file="" f_find="" f_replace="" f_desc=""
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in
    '#'*) continue ;;
    '') add_fault; f_id="" f_layer="" f_file="" f_find="" f_replace="" f_desc=""; continue ;;
  esac
  key="${line%%:*}"
  value="${line#*:}"
  value="${value# }"
  case "$key" in
    id) f_id="$value" ;;
    layer) f_layer="$value" ;;
    file) f_file="$value" ;;
    find) f_find="$value" ;;
    replace) f_replace="$value" ;;
    desc) f_desc="$value" ;;
    *) echo "plant-faults: $fault_list: unknown line: $line" >&2; exit 2 ;;
  esac
done < "$fault_list"
add_fault

selected=()
if [ -n "$only" ]; then
  IFS=',' read -r -a wanted <<< "$only"
  for w in "${wanted[@]}"; do
    found=0
    for i in "${!ids[@]}"; do
      if [ "${ids[$i]}" = "$w" ]; then selected+=("$i"); found=1; fi
    done
    [ "$found" = 1 ] || { echo "plant-faults: no fault named $w" >&2; exit 2; }
  done
else
  selected=("${!ids[@]}")
fi

# Prints the number of times $2 occurs in file $1.
count_occurrences() {
  local content rest n=0
  IFS= read -r -d '' content < "$1" || true
  rest="$content"
  while [[ "$rest" == *"$2"* ]]; do
    n=$((n + 1))
    rest="${rest#*"$2"}"
  done
  echo "$n"
}

# Writes file $1 with the single occurrence of $2 replaced by $3.
apply_fault() {
  local content
  IFS= read -r -d '' content < "$1" || true
  printf '%s' "${content/"$2"/"$3"}" > "$1"
}

if [ "$list_only" = 1 ]; then
  bad=0
  for i in "${selected[@]}"; do
    n=0
    [ -f "${files[$i]}" ] && n=$(count_occurrences "${files[$i]}" "${finds[$i]}")
    state="ok"
    if [ "$n" != 1 ]; then state="does not apply ($n matches)"; bad=$((bad + 1)); fi
    printf '%-28s %-14s %-40s %s\n' "${ids[$i]}" "${layers[$i]}" "${files[$i]}" "$state"
  done
  echo "${#selected[@]} faults, $bad do not apply"
  exit 0
fi

if [ -n "$(git status --porcelain --untracked-files=no -- src)" ]; then
  echo "plant-faults: src/ has uncommitted changes; commit or stash them first" >&2
  exit 2
fi

# --- Restoring: the planted file is put back byte for byte, whatever happens. ---
backup_dir=$(mktemp -d)
planted=""
restore() {
  if [ -n "$planted" ]; then
    # Written anew (not moved) so that the file is newer than its objects and
    # the next build recompiles it.
    cat "$backup_dir/original" > "$planted"
    planted=""
  fi
}
trap 'restore; rm -rf "$backup_dir"' EXIT
trap 'exit 130' INT TERM

# --- Build and suite ---
log_dir="$build_dir/plant-faults-logs"
build() {
  ninja -C "$build_dir" -j2 > "$log_dir/build.log" 2>&1
}
failed_tests=()
run_suite() {
  local failed_log="$build_dir/Testing/Temporary/LastTestsFailed.log"
  rm -f "$failed_log"
  failed_tests=()
  if ctest --test-dir "$build_dir" -j2 --timeout 120 > "$log_dir/ctest.log" 2>&1; then
    return 0
  fi
  if [ -f "$failed_log" ]; then
    mapfile -t failed_tests < <(sed 's/^[0-9]*://' "$failed_log")
  fi
  [ ${#failed_tests[@]} -gt 0 ] || failed_tests=("(ctest failed, see $log_dir/ctest.log)")
  return 1
}

if [ ! -f "$build_dir/build.ninja" ]; then
  launcher=()
  if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
mkdir -p "$log_dir" "$(dirname "$out")"
echo "plant-faults: building $build_dir"
build || { echo "plant-faults: the unfaulted tree does not build" >&2; tail -20 "$log_dir/build.log" >&2; exit 1; }
echo "plant-faults: running the suite unfaulted"
if ! run_suite; then
  echo "plant-faults: the suite fails without any fault; fix that first:" >&2
  printf '  %s\n' "${failed_tests[@]}" >&2
  exit 1
fi

# Test executable of every test, to name the folder whose tests caught a fault.
declare -A test_folder=()
while IFS=$'\t' read -r name folder; do
  test_folder["$name"]="$folder"
done < <(ctest --test-dir "$build_dir" -N -V 2>/dev/null | awk '
  / Test command: / { cmd = $0; sub(/.* Test command: /, "", cmd); sub(/ .*/, "", cmd) }
  /^ *Test *#[0-9]+: / { name = $0; sub(/^ *Test *#[0-9]+: /, "", name)
                         n = split(cmd, parts, "/"); folder = (n > 1) ? parts[n - 1] : "?"
                         print name "\t" folder }')

# --- The report, rewritten after each fault so that it can be read as it goes. ---
rows=() details=()
caught=0 missed=0 unbuilt=0 unapplied=0
write_report() {
  {
    echo "# Planted faults"
    echo
    echo "Suite at $(git rev-parse --short HEAD), $(date -u '+%Y-%m-%d %H:%M UTC')." \
         "${#rows[@]} of ${#selected[@]} faults done."
    echo
    echo "Caught: $caught, not caught: $missed, not built: $unbuilt, not applied: $unapplied."
    echo
    echo "| id | layer | fault | result |"
    echo "|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
    echo
    echo "## Failing tests per fault"
    echo
    printf '%s\n' "${details[@]}"
  } > "$out"
}

for i in "${selected[@]}"; do
  id="${ids[$i]}" file="${files[$i]}"
  echo "plant-faults: $id ($file)"
  result=""
  n=0
  [ -f "$file" ] && n=$(count_occurrences "$file" "${finds[$i]}")
  if [ "$n" != 1 ]; then
    result="does not apply ($n matches)"
    unapplied=$((unapplied + 1))
  else
    cp -p "$file" "$backup_dir/original"
    planted="$file"
    apply_fault "$file" "${finds[$i]}" "${replaces[$i]}"
    if ! build; then
      result="does not build"
      unbuilt=$((unbuilt + 1))
      cp "$log_dir/build.log" "$log_dir/$id.build.log"
    elif run_suite; then
      result="NOT CAUGHT"
      missed=$((missed + 1))
    else
      caught=$((caught + 1))
      first=$(printf '%s, ' "${failed_tests[@]:0:3}")
      result="caught by ${#failed_tests[@]} tests: ${first%, }"
      [ ${#failed_tests[@]} -le 3 ] || result+=", ..."
      cp "$log_dir/ctest.log" "$log_dir/$id.ctest.log"
      detail="- **$id**:"
      declare -A by_folder=()
      for t in "${failed_tests[@]}"; do
        folder="${test_folder[$t]:-?}"
        by_folder["$folder"]+="${by_folder[$folder]:+, }$t"
      done
      for folder in $(printf '%s\n' "${!by_folder[@]}" | sort); do
        detail+=$'\n'"  - tests/$folder: ${by_folder[$folder]}"
      done
      unset by_folder
      details+=("$detail")
    fi
    restore
  fi
  desc="${descs[$i]//|/\\|}"
  rows+=("| $id | ${layers[$i]} | $desc | $result |")
  echo "plant-faults: $id: $result"
  write_report
done

# Leave the build matching the restored tree.
build || true
echo "plant-faults: caught $caught, not caught $missed, not built $unbuilt, not applied $unapplied"
echo "plant-faults: report in $out"
