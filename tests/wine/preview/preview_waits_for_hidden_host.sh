# A host that is hidden when the saver starts is waited for; the movie appears once it is shown.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/host.sh"

screenshot "$WORK/before.png"
start_host hidden --hidden
pid=$(saver_pid)
# While the host stays hidden the saver keeps waiting, draws nothing and stays idle.
t0=$(cpu_ticks "$pid")
sleep 2
t1=$(cpu_ticks "$pid")
check "the saver waits while the host is hidden" test -z "$(wait_log hidden '^exit' 0)"
screenshot "$WORK/waiting.png"
check_eq "nothing is drawn while the host is hidden" 0 "$(differ "$WORK/before.png" "$WORK/waiting.png")"
echo "figure: processor ticks over 2 s of waiting: $((t1 - t0))"
check "waiting costs under a quarter of a core" test "$((t1 - t0))" -lt "$(( $(getconf CLK_TCK) / 2 ))"

host_command hidden show
if wait_movie_shown 15; then ok "the movie appears when the host is shown"; else fail "the host shows its own colour after showing"; fi
host_command hidden hide
wait_saver_end hidden
check_eq "hiding it afterwards ends the saver with 0" 0 "$END_CODE"
stop_host hidden
finish
