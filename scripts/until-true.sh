# Sourced by the check scripts. until_true SECONDS COMMAND...: true once COMMAND succeeds
# within the bound, false when the bound runs out first; looks again every 0.1 s.
until_true() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
