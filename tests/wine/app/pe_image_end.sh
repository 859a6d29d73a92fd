# pe_image_end FILE: prints where a PE file's image ends (the largest raw-data end of its
# sections), read from its headers.
le32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
le16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
pe_image_end() {
  local file=$1 pe sections optional table end=0 i raw_size raw_at
  pe=$(le32 "$file" 60)
  [ "$(od -An -c -j "$pe" -N2 "$file" | tr -d ' ')" = "PE" ] || { echo "not a PE file"; return 1; }
  sections=$(le16 "$file" $((pe + 6)))
  optional=$(le16 "$file" $((pe + 20)))
  table=$((pe + 24 + optional))
  for ((i = 0; i < sections; i++)); do
    raw_size=$(le32 "$file" $((table + 40 * i + 16)))
    raw_at=$(le32 "$file" $((table + 40 * i + 20)))
    if [ $((raw_at + raw_size)) -gt "$end" ]; then end=$((raw_at + raw_size)); fi
  done
  echo "$end"
}
