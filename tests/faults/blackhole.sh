#!/usr/bin/env bash
# A host that swallows every packet: two network namespaces joined by a veth pair, the
# client's neighbour entry for the far address pointing at a hardware address nobody has,
# so each SYN leaves and vanishes. zerka2ctl and the client under a short bound must give
# up with 10060 in time, zerka2ctl's status and check within their 5 s. Nothing leaves the two namespaces:
# the client's has no other link and no default route. Exits 77 (skipped) without the rights
# to make namespaces.
#   blackhole.sh ZERKA2CTL BLACKHOLE_TESTS
set -uo pipefail

zerka2ctl=$1
client_tests=$2
client=zerka-bh-client-$$
hole=zerka-bh-hole-$$
far=192.0.2.2

skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root for ip netns"
command -v ip > /dev/null || skip "iproute2 (ip) is not installed"

cleanup() {
  ip netns del "$client" 2> /dev/null
  ip netns del "$hole" 2> /dev/null
}
trap cleanup EXIT

ip netns add "$client" 2> /dev/null || skip "network namespaces are not permitted here"
ip netns add "$hole" || exit 1
ip -n "$client" link add zbh0 type veth peer name zbh1 netns "$hole" || skip "veth pairs are not permitted here"
ip -n "$client" link set lo up
ip -n "$client" addr add 192.0.2.1/24 dev zbh0
ip -n "$client" link set zbh0 up
ip -n "$hole" link set zbh1 up
ip -n "$client" neigh replace "$far" lladdr 02:00:00:00:be:ef dev zbh0 nud permanent

failed=0
check() {  # name, condition already evaluated as exit status in $?
  if [ "$2" -eq 0 ]; then echo "ok: $1"; else echo "FAILED: $1"; failed=$((failed + 1)); fi
}

start=$(date +%s%N)
err=$(ip netns exec "$client" timeout 60 "$zerka2ctl" --host "$far" status 2>&1 > /dev/null)
status=$?
took_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "zerka2ctl status against the black hole: exit $status after ${took_ms} ms"
expected="$far:4295: Socket-Fehler # 10060"$'\n'"Zeitüberschreitung bei Verbindung."
[ "$err" = "$expected" ]; check "zerka2ctl reports 10060 (got: $err)" $?
[ "$status" -eq 2 ]; check "zerka2ctl exits with status 2" $?
[ "$took_ms" -le 5000 ]; check "zerka2ctl status ends within its 5 s bound" $?

start=$(date +%s%N)
line=$(ip netns exec "$client" timeout 60 "$zerka2ctl" --host "$far" check 2> /dev/null)
status=$?
took_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "zerka2ctl check against the black hole: exit $status after ${took_ms} ms"
expected="ZERKA CRITICAL - $far:4295: Socket-Fehler # 10060 Zeitüberschreitung bei Verbindung."
[ "$line" = "$expected" ]; check "zerka2ctl check reports CRITICAL with 10060 (got: $line)" $?
[ "$status" -eq 2 ]; check "zerka2ctl check exits with status 2" $?
[ "$took_ms" -le 5000 ]; check "zerka2ctl check ends within its 5 s bound" $?

ip netns exec "$client" env ZERKA_BLACKHOLE_HOST="$far" "$client_tests" --gtest_brief=1
check "the client under a 300 ms connect bound" $?


echo "blackhole: $failed check(s) failed"
[ "$failed" -eq 0 ]
