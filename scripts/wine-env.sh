# Sourced by every script that runs Windows programs under Wine.
#
# Debian's `wine` (and `wineboot`) start through the 32-bit loader even for a 64-bit program, and
# that fails with "Exec format error" on kernels that cannot run 32-bit programs. So 64-bit
# programs go through the 64-bit loader directly, the prefix is made by the 64-bit side, and
# 32-bit programs run only where a probe showed that this machine can run them.
#
#   run_wine64 PROG ARGS...  a 64-bit Windows program (or a Wine tool such as reg)
#   run_wine32 PROG ARGS...  a 32-bit Windows program
#   run_wine EXE ARGS...     either, chosen by the program's PE header
#   wine_boot                makes or updates $WINEPREFIX
#   wine_end                 ends the Wine server of $WINEPREFIX and waits until it is gone
#   $ZERKA_WINESERVER        the Wine server itself (-p keeps it running between programs)
#   wine32_check             sets ZERKA_WINE32 to "yes", or to the reason why 32-bit programs
#                            cannot run here; exported, so scripts started later ask only once

ZERKA_WINE64_LOADER=/usr/lib/wine/wine64
ZERKA_WINE32_LOADER=/usr/lib/wine/wine
ZERKA_WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG="${WINEDEBUG:--all}"

run_wine64() { WINELOADER="$ZERKA_WINE64_LOADER" "$ZERKA_WINE64_LOADER" "$@"; }
run_wine32() { WINELOADER="$ZERKA_WINE32_LOADER" "$ZERKA_WINE32_LOADER" "$@"; }

# The machine field of the PE header: 8664 for x86-64, 014c for i386.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 1
  od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

run_wine() {
  if [ "$(pe_machine "$1")" = 014c ]; then run_wine32 "$@"; else run_wine64 "$@"; fi
}

wine_boot() { run_wine64 wineboot -i > /dev/null 2>&1; }

wine_end() {
  "$ZERKA_WINESERVER" -k 2> /dev/null
  "$ZERKA_WINESERVER" -w 2> /dev/null || true
}

# Needs a booted $WINEPREFIX. Tries a tiny 32-bit program rather than trusting the package list.
wine32_check() {
  [ -n "${ZERKA_WINE32:-}" ] && return 0
  local dir out
  if [ ! -x "$ZERKA_WINE32_LOADER" ]; then
    ZERKA_WINE32="Wine's 32-bit loader ($ZERKA_WINE32_LOADER) is not installed"
  elif ! out=$("$ZERKA_WINE32_LOADER" --version 2>&1); then
    out=$(tail -n 1 <<<"$out")
    ZERKA_WINE32="this machine cannot run 32-bit programs: Wine's 32-bit loader fails with \"${out##*: }\""
  elif ! command -v i686-w64-mingw32-gcc > /dev/null; then
    ZERKA_WINE32="no 32-bit Windows compiler to build the probe program"
  else
    dir=$(mktemp -d)
    printf 'int main(void) { return 32; }\n' > "$dir/probe.c"
    if ! i686-w64-mingw32-gcc -o "$dir/probe32.exe" "$dir/probe.c" 2> "$dir/cc.log"; then
      ZERKA_WINE32="the 32-bit probe program does not build: $(head -n 1 "$dir/cc.log")"
    else
      timeout 120 "$ZERKA_WINE32_LOADER" "$dir/probe32.exe" > /dev/null 2> "$dir/run.log"
      case $? in
        32) ZERKA_WINE32=yes ;;
        *) ZERKA_WINE32="a 32-bit Windows program does not run under Wine here ($(tail -n 1 "$dir/run.log"))" ;;
      esac
    fi
    rm -rf "$dir"
  fi
  export ZERKA_WINE32
}
