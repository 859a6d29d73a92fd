#!/usr/bin/env bash
# source-entries: source entries follow the machine's own binary entries of this release, in both
# configuration formats, and leave out what is disabled, foreign or already served with sources.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n--- expected\n%s\n--- got\n%s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  else
    echo "ok   $1"
  fi
}

# deb822 files: a mirror with two suites, a security entry, a third-party suite, a disabled entry.
mkdir -p "$work/a/sources.list.d"
cat > "$work/a/sources.list.d/debian.sources" <<'SRC'
Types: deb
URIs: http://mirror.example.test/debian
Suites: trixie trixie-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

# comment between stanzas
Types: deb
URIs: http://mirror.example.test/debian-security
Suites: trixie-security
Components: main
SRC
cat > "$work/a/sources.list.d/other.sources" <<'SRC'
Types: deb
URIs: https://vendor.example.test/apt
Suites: nodistro
Components: main

Enabled: no
Types: deb
URIs: http://off.example.test/debian
Suites: trixie
Components: main
SRC
echo 'deb http://ignored.example.test/debian trixie main' > "$work/a/sources.list.d/old.list.disabled"
check "deb822 entries" "Types: deb-src
URIs: http://mirror.example.test/debian
Suites: trixie
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://mirror.example.test/debian
Suites: trixie-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://mirror.example.test/debian-security
Suites: trixie-security
Components: main" "$("$tool" "$work/a" trixie)"

# One-line format with options, an entry that already has sources, and an older release.
mkdir -p "$work/b/sources.list.d"
cat > "$work/b/sources.list" <<'SRC'
# local mirror
deb [arch=amd64 signed-by=/etc/keys/mirror.gpg] http://local.example.test/debian bookworm main non-free
deb http://local.example.test/debian bookworm-updates main   # updates
deb-src http://local.example.test/debian bookworm-updates main
deb http://local.example.test/debian bullseye main
deb http://local.example.test/debian-security bookworm-security/updates main
SRC
check "one-line entries" "Types: deb-src
URIs: http://local.example.test/debian
Suites: bookworm
Components: main non-free
Architectures: amd64
Signed-By: /etc/keys/mirror.gpg

Types: deb-src
URIs: http://local.example.test/debian-security
Suites: bookworm-security/updates
Components: main" "$("$tool" "$work/b" bookworm)"

# A stanza that serves both types already needs nothing.
mkdir -p "$work/c/sources.list.d"
printf 'Types: deb deb-src\nURIs: http://m.example.test/debian\nSuites: bookworm\nComponents: main\n' \
  > "$work/c/sources.list.d/both.sources"
check "already served" "" "$("$tool" "$work/c" bookworm)"

# Nothing configured at all.
mkdir -p "$work/d"
check "no configuration" "" "$("$tool" "$work/d" bookworm)"

[ $failures -eq 0 ] || exit 1
