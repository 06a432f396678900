#!/usr/bin/env bash
# A real Nagios 4 core schedules `zerka2ctl check` against zerka-sim in each state, as a user
# would set it up; what Nagios parsed (state, output, performance data in its status file) is
# compared with what it must be. One PASS/FAIL/SKIP line per service.
#
#   bash tests/tools/nagios-check.sh [BUILD_DIR]     (default build/linux)
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/linux}
ctl=$build/tools/zerka2ctl
simulator=$build/sim/zerka-sim
nagios=/usr/sbin/nagios4

skip_all() { echo "SKIP: nagios: zerka2ctl check in a Nagios 4 core ($1)"; exit 0; }
[ -x "$nagios" ] || skip_all "nagios4-core is not installed"
[ -x "$ctl" ] && [ -x "$simulator" ] || skip_all "$ctl or $simulator is not built"

# Nagios runs as an unprivileged user that owns its private folder.
if [ "$(id -u)" -eq 0 ]; then
  user=nagios
  id "$user" > /dev/null 2>&1 || useradd --system --no-create-home zerka-nagios > /dev/null 2>&1
  id "$user" > /dev/null 2>&1 || user=zerka-nagios
  id "$user" > /dev/null 2>&1 || skip_all "no unprivileged user for Nagios"
  as_user=(setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups)
else
  user=$(id -un)
  as_user=()
fi
group=$(id -gn "$user")

dir=$(mktemp -d /tmp/zerka-nagios.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2> /dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' TERM INT
mkdir -p "$dir/checkresults" "$dir/tmp"
cp "$ctl" "$dir/zerka2ctl"

# start_sim NAME: a zerka-sim on free ports; its remote port in ${NAME}_port.
start_sim() {
  "$simulator" --port 0 --admin-port 0 > "$dir/$1.log" 2>&1 &
  pids+=($!)
  local port="" i
  for i in $(seq 1 100); do
    port=$(sed -nE 's/.*Fernsteuerung \(UDP und TCP\): 127\.0\.0\.1:([0-9]+).*/\1/p' "$dir/$1.log")
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || skip_all "zerka-sim did not start: $(tail -n 1 "$dir/$1.log")"
  printf -v "${1}_port" '%s' "$port"
}

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/until-true.sh"

start_sim idle
start_sim online
start_sim locked
start_sim gone
"$ctl" -p "$online_port" fetch-mail
"$ctl" -p "$locked_port" toggle-lock
"$ctl" -p "$gone_port" stop
line_is() { [ "$("$ctl" -p "$1" line-state 2> /dev/null)" = "$2" ]; }
until_true 10 line_is "$online_port" 1 || skip_all "zerka-sim did not connect its line"
until_true 5 line_is "$locked_port" 4 || skip_all "zerka-sim did not lock its line"
stopped() { ! "$ctl" -p "$1" status > /dev/null 2>&1; }
until_true 5 stopped "$gone_port" \
  || skip_all "zerka-sim did not stop"

cat > "$dir/nagios.cfg" <<EOF
log_file=$dir/nagios.log
cfg_file=$dir/objects.cfg
object_cache_file=$dir/objects.cache
precached_object_file=$dir/objects.precache
status_file=$dir/status.dat
status_update_interval=1
nagios_user=$user
nagios_group=$group
check_external_commands=0
command_file=$dir/nagios.cmd
query_socket=$dir/nagios.qh
lock_file=$dir/nagios.lock
temp_file=$dir/nagios.tmp
temp_path=$dir/tmp
check_result_path=$dir/checkresults
check_result_reaper_frequency=1
interval_length=1
max_service_check_spread=1
max_host_check_spread=1
enable_notifications=0
enable_event_handlers=0
execute_host_checks=0
use_syslog=0
EOF

# The command definition of the README, every directive on its own line.
{
  cat <<EOF
define timeperiod {
    timeperiod_name always
    alias always
    sunday 00:00-24:00
    monday 00:00-24:00
    tuesday 00:00-24:00
    wednesday 00:00-24:00
    thursday 00:00-24:00
    friday 00:00-24:00
    saturday 00:00-24:00
}
define command {
    command_name check_zerka
    command_line $dir/zerka2ctl -H \$HOSTADDRESS\$ -p \$ARG1\$ check \$ARG2\$
}
define command {
    command_name no_notification
    command_line /bin/true
}
define contact {
    contact_name nobody
    host_notifications_enabled 0
    service_notifications_enabled 0
    host_notification_period always
    service_notification_period always
    host_notification_options n
    service_notification_options n
    host_notification_commands no_notification
    service_notification_commands no_notification
}
define host {
    host_name proxy
    address 127.0.0.1
    max_check_attempts 1
    check_period always
    contacts nobody
    notification_interval 0
    notification_period always
}
EOF
  # service NAME PORT ARGUMENTS
  service() {
    cat <<EOF
define service {
    host_name proxy
    service_description $1
    check_command check_zerka!$2!$3
    max_check_attempts 1
    check_interval 2
    retry_interval 1
    check_period always
    contacts nobody
    notification_interval 0
    notification_period always
}
EOF
  }
  service ok-idle "$idle_port" ""
  service ok-online "$online_port" "-w 10: -c 5:"
  service warning-hangup "$online_port" "-w 1000: -c 10:"
  service critical-hangup "$online_port" "-c 1000:"
  service warning-locked "$locked_port" ""
  service critical-refused "$gone_port" ""
  service unknown-range "$idle_port" "-w 5:2"
} > "$dir/objects.cfg"

chown -R "$user:$group" "$dir"
if ! "${as_user[@]}" "$nagios" -v "$dir/nagios.cfg" > "$dir/verify.log" 2>&1; then
  echo "FAIL: nagios: the configuration is refused"
  cat "$dir/verify.log"
  exit 1
fi
(cd "$dir" && exec "${as_user[@]}" "$nagios" "$dir/nagios.cfg") > "$dir/nagios.out" 2>&1 &
pids+=($!)

# status_of SERVICE: "state<TAB>output<TAB>performance data" once Nagios has checked it.
status_of() {
  awk -v want="$1" '
    /^servicestatus \{/ { on = 1; delete f; next }
    on && /^\t}/ {
      if (f["service_description"] == want && f["has_been_checked"] == 1)
        printf "%s\t%s\t%s\n", f["current_state"], f["plugin_output"], f["performance_data"]
      on = 0; next
    }
    on { line = $0; sub(/^\t/, "", line); eq = index(line, "=")
         f[substr(line, 1, eq - 1)] = substr(line, eq + 1) }' "$dir/status.dat" 2> /dev/null
}
all_checked() {
  local name
  for name in ok-idle ok-online warning-hangup critical-hangup warning-locked critical-refused unknown-range; do
    [ -n "$(status_of "$name")" ] || return 1
  done
}
if ! until_true 45 all_checked; then
  echo "FAIL: nagios: not every service was checked within 45 s"
  tail -n 20 "$dir/nagios.log" "$dir/nagios.out"
  exit 1
fi

# expect SERVICE REGEX: what Nagios parsed, state TAB output TAB performance data.
failed=0
expect() {
  local got
  got=$(status_of "$1")
  if [[ "$got" =~ ^$2$ ]]; then
    echo "PASS: nagios: $1 ($(cut -f1 <<< "$got"): $(cut -f2 <<< "$got"))"
  else
    echo "FAIL: nagios: $1: got '$got', want /$2/"
    failed=1
  fi
}
t=$'\t'
n='[0-9]+'
clock='[0-9]+:[0-9]{2}:[0-9]{2}'
online="Verbunden, DFÜ nicht gesperrt, 192\\.168\\.100\\.23, online $clock"
expect ok-idle "0${t}ZERKA OK - Nicht verbunden, DFÜ nicht gesperrt${t}connections=0;;;0 online=0s;;;0 hangup=U;;;0"
expect ok-online "0${t}ZERKA OK - $online${t}connections=1;;;0 online=${n}s;;;0 hangup=${n}s;10:;5:;0"
expect warning-hangup "1${t}ZERKA WARNING - $online, Zeit bis Auflegen $clock${t}connections=1;;;0 online=${n}s;;;0 hangup=${n}s;1000:;10:;0"
expect critical-hangup "2${t}ZERKA CRITICAL - $online, Zeit bis Auflegen $clock${t}connections=1;;;0 online=${n}s;;;0 hangup=${n}s;;1000:;0"
expect warning-locked "1${t}ZERKA WARNING - DFÜ gesperrt, DFÜ gesperrt${t}connections=0;;;0 online=0s;;;0 hangup=U;;;0"
expect critical-refused "2${t}ZERKA CRITICAL - 127\\.0\\.0\\.1:$gone_port: Socket-Fehler # 10061 Verbindung abgelehnt\\.${t}"
expect unknown-range "3${t}ZERKA UNKNOWN - ungültiger Bereich für --warning: 5:2${t}"
exit $failed
