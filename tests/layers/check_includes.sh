#!/usr/bin/env bash
# The layers of the tree include downwards only: the engine knows no Windows header and none of the
# program's folders; the package layer knows no GUI, the GUI layer no package; neither knows the
# Flash component, the forms or the main block. Prints each include that breaks a rule.
set -uo pipefail
root=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
cd "$root" || exit 2
status=0
# forbid FOLDER PATTERN WHY
forbid() {
  local hits
  hits=$(grep -rnE --include='*.h' --include='*.cpp' "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($2)" "$1" 2>/dev/null)
  if [ -n "$hits" ]; then
    printf '%s: %s\n%s\n' "$1" "$3" "$hits"
    status=1
  fi
}
forbid engine  'windows\.h|winuser\.h|objbase\.h|ole2\.h|package/|ui/|flash/|forms/|app/|support/handles' "the engine is portable"
forbid package 'ui/|flash/|forms/|app/'    "the package layer knows no GUI"
forbid ui      'package/|flash/|forms/|app/' "the GUI layer knows no package"
forbid support 'package/|ui/|flash/|forms/|app/|engine/' "support is below everything"
[ $status -eq 0 ] && echo "layers: every include points downwards"
exit $status
