#!/usr/bin/env bash
# zerka2ctl check against real name services on loopback, seen through a resolv.conf of a
# private mount namespace: one that never answers must not outlast --timeout (the lookup left
# running must not hold the program either), one that knows no such name gives UNKNOWN naming
# the host, and a UTF-8 name that the hosts file knows is found and named as typed. One
# PASS/FAIL/SKIP line per check.
#
#   bash tests/tools/name-service-check.sh [BUILD_DIR]     (default build/linux)
set -uo pipefail
cd "$(dirname "$0")/../.."
ctl=$(realpath -m "${1:-build/linux}/tools/zerka2ctl")

skip_all() {
  echo "SKIP: name service: a silent one ends the check within its time-out ($1)"
  echo "SKIP: name service: an unknown name is UNKNOWN and named ($1)"
  echo "SKIP: name service: a UTF-8 name is looked up and named as typed ($1)"
  exit 0
}
[ -x "$ctl" ] || skip_all "$ctl is not built"
[ "$(id -u)" -eq 0 ] || skip_all "a private resolv.conf needs root"
command -v unshare > /dev/null && command -v python3 > /dev/null || skip_all "no unshare or python3"
unshare -m true 2> /dev/null || skip_all "mount namespaces are not permitted here"

dir=$(mktemp -d)
server_pid=""
cleanup() {
  [ -z "$server_pid" ] || { kill "$server_pid" 2> /dev/null; wait "$server_pid" 2> /dev/null; }
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' TERM INT

# 127.0.0.77 never answers; 127.0.0.78 answers every query with "no such name". Ends by itself.
cat > "$dir/dns.py" <<'EOF'
import select, socket, sys, time
silent = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
silent.bind(("127.0.0.77", 53))
nxdomain = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
nxdomain.bind(("127.0.0.78", 53))
print("listening", flush=True)
end = time.time() + 60
while time.time() < end:
    ready, _, _ = select.select([silent, nxdomain], [], [], 0.5)
    for s in ready:
        query, peer = s.recvfrom(512)
        if s is nxdomain and len(query) >= 12:
            # The query's id and question, flags: response, recursion, "name error".
            s.sendto(query[:2] + b"\x81\x83" + query[4:6] + b"\0\0\0\0\0\0" + query[12:], peer)
EOF
python3 "$dir/dns.py" > "$dir/dns.log" 2>&1 &
server_pid=$!
for _ in $(seq 1 50); do grep -q listening "$dir/dns.log" && break; sleep 0.1; done
grep -q listening "$dir/dns.log" || skip_all "no name service on 127.0.0.77/78:53: $(tail -n 1 "$dir/dns.log")"

# lookup NAMESERVER HOST: runs the check in a namespace that asks only that name service;
# prints milliseconds, exit status and output, one per line.
lookup() {
  printf 'nameserver %s\noptions timeout:30 attempts:2\n' "$1" > "$dir/resolv-$1.conf"
  unshare -m bash -c '
    mount --bind "$1" /etc/resolv.conf || exit 99
    start=$(date +%s%N)
    out=$(timeout 20 "$2" -H "$3" -p 4295 check -t 3)
    status=$?
    echo $(( ($(date +%s%N) - start) / 1000000 ))
    echo "$status"
    echo "$out"' _ "$dir/resolv-$1.conf" "$ctl" "$2"
}

host=zerka-hang.example
{ read -r ms; read -r status; read -r out; } < <(lookup 127.0.0.77 "$host")
want="ZERKA CRITICAL - $host:4295: Der Namensdienst hat den Namen $host nicht innerhalb von "
if [ "$status" = 2 ] && [ "${out#"$want"}" != "$out" ] && [ "$ms" -le 3000 ]; then
  echo "PASS: name service: a silent one ends the check within its time-out (${ms} ms: $out)"
else
  echo "FAIL: name service: a silent one: exit $status after ${ms} ms, '$out'"
fi

host=zerka-unknown.example
{ read -r ms; read -r status; read -r out; } < <(lookup 127.0.0.78 "$host")
want="ZERKA UNKNOWN - $host:4295: Der Host $host ist unbekannt (keine IPv4-Adresse zu diesem Namen)."
if [ "$status" = 3 ] && [ "$out" = "$want" ]; then
  echo "PASS: name service: an unknown name is UNKNOWN and named ($out)"
else
  echo "FAIL: name service: an unknown name: exit $status, '$out'"
fi

# Nothing listens on port 1: the lookup went through when the connection is what fails.
host="zerka-prüfer-ε.example"
printf '127.0.0.1 %s\n' "$host" > "$dir/hosts"
out=$(unshare -m bash -c 'mount --bind "$1" /etc/hosts || exit 99
                          timeout 20 "$2" -H "$3" -p 1 check -t 3' _ "$dir/hosts" "$ctl" "$host")
status=$?
want="ZERKA CRITICAL - $host:1: Socket-Fehler # 10061 Verbindung abgelehnt."
if [ "$status" = 2 ] && [ "$out" = "$want" ]; then
  echo "PASS: name service: a UTF-8 name is looked up and named as typed ($out)"
else
  echo "FAIL: name service: a UTF-8 name: exit $status, '$out'"
fi
