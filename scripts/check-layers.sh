#!/usr/bin/env bash
# Fails when a source file reaches above its layer:
#   src/engine may include Qt Core and the engine only;
#   src/core may include Qt Core, Qt Gui, the engine and the core;
#   src/forms may include anything of the three layers and Qt Widgets.
# A Qt header counts by the module that holds it, however it is spelled
# (<QWidget> and <QtWidgets/QWidget> alike). With a build folder as its
# argument it also checks the compile commands: the engine's files are
# compiled with neither Qt Gui nor Qt Widgets on their include path, and the
# core's without Qt Widgets.
set -euo pipefail
cd "$(dirname "$0")/.."

qt_headers=$(find /usr/include -maxdepth 2 -type d -name qt6 | head -n 1)
if [ -z "$qt_headers" ] || [ ! -d "$qt_headers/QtCore" ]; then
  echo "check-layers: Qt 6 headers not found under /usr/include" >&2
  exit 2
fi

failures=0
fail() { echo "$1"; failures=$((failures + 1)); }

# The Qt module that holds a header, or nothing when Qt has no such header.
qt_module() {
  local header=$1
  case $header in
    Qt*/*) echo "${header%%/*}"; return ;;
  esac
  for module in QtCore QtGui QtWidgets QtTest QtPrintSupport QtDBus QtNetwork QtConcurrent QtXml QtSql QtOpenGL; do
    if [ -e "$qt_headers/$module/$header" ]; then
      echo "$module"
      return
    fi
  done
}

check_folder() {
  local folder=$1 allowed_qt=$2 allowed_own=$3
  while IFS= read -r -d '' file; do
    while IFS= read -r line; do
      local number=${line%%:*} include=${line#*:}
      if [[ $include =~ \#include[[:space:]]*\"([^\"]+)\" ]]; then
        local name=${BASH_REMATCH[1]}
        if [[ $name == */* ]] && ! [[ $name =~ ^($allowed_own)/ ]] && [[ $name =~ ^(engine|core|forms)/ ]]; then
          fail "$file:$number: includes \"$name\", above its layer"
        fi
      elif [[ $include =~ \#include[[:space:]]*\<([^\>]+)\> ]]; then
        local header=${BASH_REMATCH[1]} module
        module=$(qt_module "$header")
        if [ -n "$module" ] && ! [[ $module =~ ^($allowed_qt)$ ]]; then
          fail "$file:$number: includes <$header> of $module, above its layer"
        fi
      fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" | sed 's/^\([0-9]*\):[[:space:]]*#[[:space:]]*include/\1:#include/')
  done < <(find "$folder" -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
}

check_folder src/engine 'QtCore' 'engine'
check_folder src/core 'QtCore|QtGui' 'engine|core'

if [ $# -ge 1 ]; then
  commands="$1/compile_commands.json"
  if [ ! -f "$commands" ]; then
    echo "check-layers: no $commands" >&2
    exit 2
  fi
  python3 - "$commands" <<'PY' || failures=$((failures + 1))
import json, sys
bad = 0
for entry in json.load(open(sys.argv[1])):
    source = entry["file"]
    command = entry.get("command") or " ".join(entry.get("arguments", []))
    if "/src/engine/" in source:
        forbidden = ("/QtGui", "/QtWidgets")
    elif "/src/core/" in source:
        forbidden = ("/QtWidgets",)
    else:
        continue
    for word in command.split():
        if word.startswith(("-I", "-isystem")) or "/qt6/" in word:
            if any(word.rstrip("/").endswith(f) or (f + "/") in word for f in forbidden):
                print(f"{source}: compiled with {word} on its include path")
                bad += 1
sys.exit(1 if bad else 0)
PY
fi

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures problem(s)" >&2
  exit 1
fi
echo "check-layers: every file keeps to its layer"
