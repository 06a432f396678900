#!/usr/bin/env bash
# Installs the Debian packages a job needs, and only those.
#   scripts/install-deps.sh            everything the test command uses
#   scripts/install-deps.sh demo       what the main job needs (build and run the Linux programs)
#   scripts/install-deps.sh --list JOB the packages a job asks for, one per line; installs nothing
#
# Mirrors are sometimes mid-sync and a package can be uninstallable for a day, so: a failed
# `apt-get update` is retried and then tolerated (what counts is whether the packages install
# from the lists there are), and each optional group installs on its own, so one that cannot be
# had never takes the others down. What could not be installed is written, with apt's reason,
# to build/missing-packages.txt; the checks that need it report SKIP with that reason. Only a
# required package that cannot be installed ends the script with a non-zero status.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/package-groups.sh

list_only=0
if [ "${1:-}" = --list ]; then list_only=1; shift; fi
job=${1:-test}
case "$job" in
  demo) groups=("${demo_groups[@]}") ;;
  test) groups=("${test_groups[@]}") ;;
  *) echo "install-deps.sh: unknown job '$job' (demo or test)" >&2; exit 2 ;;
esac

if [ "$list_only" = 1 ]; then
  for group in "${groups[@]}"; do group_packages "$group"; done | tr ' ' '\n' | sed '/^$/d'
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
missing_file=${ZERKA_MISSING_PACKAGES:-build/missing-packages.txt}
mkdir -p "$(dirname "$missing_file")"
apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
not_installed() {  # not_installed PACKAGE...: those of them that are not installed
  local p
  for p in "$@"; do installed "$p" || printf '%s\n' "$p"; done
}

updated=0
update_lists() {
  [ "$updated" = 0 ] || return 0
  updated=1
  local try
  for try in 1 2 3; do
    echo "Fetching Debian's package lists (apt-get update, try $try of 3) ..."
    if $SUDO apt-get -o DPkg::Lock::Timeout=600 update > "$apt_log" 2>&1; then return 0; fi
    grep -E '^(E|W):' "$apt_log" | head -n 3
    [ "$try" = 3 ] || sleep $(( try * ${ZERKA_APT_RETRY_PAUSE:-5} ))
  done
  echo "apt-get update failed three times; going on with the lists there are."
}

apt_reason() {  # apt's own error, with the first unmet dependency that caused it
  local error depends
  error=$(grep -E '^E: ' "$apt_log" | head -n 1 | sed 's/^E: //')
  depends=$(grep -E ' : Depends: ' "$apt_log" | head -n 1 | sed 's/^ *//')
  printf '%s%s' "$error" "${depends:+ ($depends)}"
}

install_now() {  # install_now PACKAGE...: installs them in one apt run
  $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "$@" > "$apt_log" 2>&1
}

: > "$missing_file"
required_missing=()
for group in "${groups[@]}"; do
  read -r -a wanted <<< "$(group_packages "$group")"
  mapfile -t missing < <(not_installed "${wanted[@]}")
  [ "${#missing[@]}" -gt 0 ] || continue
  if [ "$group" = wine32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    updated=0
  fi
  update_lists
  echo "Installing for $(group_purpose "$group"): ${missing[*]}"
  install_now "${missing[@]}" && continue
  # One package that cannot be had must not take its group down: each one alone, to name it.
  for p in "${missing[@]}"; do
    installed "$p" && continue
    install_now "$p" && continue
    reason=$(apt_reason)
    printf '%s\t%s\n' "$p" "${reason:-apt-get install failed}" >> "$missing_file"
    if group_required "$group"; then required_missing+=("$p"); fi
  done
done

if [ -s "$missing_file" ]; then
  printf 'Not installed: %s\n' "$(awk -F '\t' '{ printf "%s%s (%s)", sep, $1, $2; sep = ", " }' "$missing_file")"
fi
if [ "${#required_missing[@]}" -gt 0 ]; then
  echo "install-deps.sh: required packages could not be installed: ${required_missing[*]}" >&2
  echo "Check the network and the apt sources, run 'apt-get update' and try again." >&2
  exit 1
fi
exit 0
