# Shared by the package tests: a movie to package and ways to patch a packaged saver.

# make_movie FILE SIZE: an uncompressed Flash header followed by varied bytes.
make_movie() {
  { printf 'FWS\x0a'; head -c $(( $2 - 4 )) /dev/urandom; } > "$1"
}

# image_end SAVER: the offset where its package begins.
image_end() { "$PACK" --inspect "$1" | sed -n 's/^image end: //p'; }

# poke FILE OFFSET HEXBYTES: overwrites bytes in place ("14000000" writes 0x14 0 0 0).
poke() {
  printf "$(echo "$3" | sed 's/../\\x&/g')" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# run_until_file PID FILE TIMEOUT_S: waits until FILE exists or the program has ended.
run_until_file() {
  local tenths=$(( $3 * 10 )) n=0
  while [ ! -e "$2" ] && kill -0 "$1" 2>/dev/null && [ "$n" -lt "$tenths" ]; do sleep 0.1; n=$((n + 1)); done
  [ -e "$2" ]
}

# stop_program PID: ends a saver that stays running (its window is not what these tests look at).
stop_program() {
  if kill -0 "$1" 2>/dev/null; then kill "$1" 2>/dev/null; wait "$1" 2>/dev/null; fi
}

# leftovers: pieces of movie files left in the Wine temp folder.
leftovers() { ls "$WINE_TEMP_UNIX" 2>/dev/null | grep -c '\.part$'; }
