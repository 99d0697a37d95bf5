#!/usr/bin/env bash
# Runs the commands the README shows, so that the README cannot drift from
# what the programs do. In every fenced block, a line "$ COMMAND" is run
# when COMMAND starts with one of the suite's console programs or with one of
# the shell steps below; the line after it, unless it is another command, the
# end of the block or "...", must be the first line the command prints. A
# command must exit 0 unless its line ends in "# exits N".
# Each block runs in a fresh scratch folder holding a copy of samples/ and an
# empty build-demo/sample-out, with the programs first on PATH.
# Arguments: the README, the folder of the programs, the samples folder.
set -euo pipefail
readme=$(realpath "$1")
bin=$(realpath "$2")
samples=$(realpath "$3")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/readme-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export LC_ALL=C.UTF-8 PATH="$bin:$PATH"

programs='qelxformbatch|qelreworkbatch|qelidx|qeldef'
shell_steps='cd|cp|mkdir|export|cmp'
failures=0 ran=0 block=0

new_block() {
  block=$((block + 1))
  work="$scratch/block$block"
  mkdir -p "$work/build-demo/sample-out" "$work/tmp"
  cp -r "$samples" "$work/samples"
  cd "$work"
  export TEMP="$work/tmp"
}

# check LINE-NUMBER COMMAND EXPECTED-FIRST-LINE
check() {
  local line=$1 command=$2 expected=$3 want=0 got output first
  if [[ $command =~ \#\ exits\ ([0-9]+)$ ]]; then want=${BASH_REMATCH[1]}; fi
  command=${command%%#*}
  # The README's own PATH line points at build-demo; the programs under test
  # are already first on PATH.
  [[ $command == export\ PATH=* ]] && return 0
  ran=$((ran + 1))
  if [[ $command =~ ^(cd|export)\  ]]; then
    eval "$command" || { echo "README:$line: '$command' failed"; failures=$((failures + 1)); }
    return 0
  fi
  set +e
  output=$(eval "$command" 2>&1)
  got=$?
  set -e
  first=${output%%$'\n'*}
  if [ "$got" -ne "$want" ]; then
    echo "README:$line: '$command' exited $got, not $want: $first"
    failures=$((failures + 1))
  elif [ -n "$expected" ] && [ "$first" != "$expected" ]; then
    echo "README:$line: '$command' printed '$first', the README shows '$expected'"
    failures=$((failures + 1))
  fi
}

mapfile -t lines < "$readme"
in_block=0
for ((i = 0; i < ${#lines[@]}; i++)); do
  text=${lines[i]}
  if [[ $text == '```'* ]]; then
    if [ $in_block -eq 0 ]; then in_block=1; new_block; else in_block=0; fi
    continue
  fi
  [ $in_block -eq 1 ] || continue
  [[ $text == '$ '* ]] || continue
  command=${text#\$ }
  [[ $command =~ ^($programs|$shell_steps)( |$) ]] || continue
  expected=""
  next=${lines[i + 1]:-}
  if [[ $next != '$ '* && $next != '```'* && $next != '...' ]]; then expected=$next; fi
  check $((i + 1)) "$command" "$expected"
done

echo "$ran README commands run, $failures failed"
[ "$ran" -gt 0 ] || { echo "no command found in the README"; exit 1; }
[ "$failures" -eq 0 ]
