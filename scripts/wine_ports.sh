#!/usr/bin/env bash
# tarvex-cli.exe under Wine against the software adapter, compared with the Linux
# tarvex-cli run the same way: every tool's read and write round trip must print the same
# lines (times of day aside), end with the same exit status and leave the same files.
#  - through a COM port: the adapter served on a pseudo-terminal by tarvex-emu-pty, which
#    Wine opens as COM5 through the link $WINEPREFIX/dosdevices/com5 -> /dev/pts/K;
#  - through the stand-in ftd2xx.dll beside tarvex-cli.exe, with no --port;
#  - with neither, "adapter check" must say "VCOM порты не найдены!" and fail.
#   scripts/wine_ports.sh WINDOWS-BUILD LINUX-BUILD [bench]
# Expects WINEPREFIX to be set up (scripts/windows.sh does it).
set -uo pipefail
win=$1
lin=$2
mode=${3:-}

cmake --build "$lin" --target tarvex-cli tarvex-emu-pty >/dev/null || exit 1
lincli="$PWD/$lin/cli/tarvex-cli"
server="$PWD/$lin/emulator/tarvex-emu-pty"
wincli="$PWD/$win/cli/tarvex-cli.exe"
standin="$PWD/$win/tests/d2xx/ftd2xx.dll"
work=$(mktemp -d)
trap 'rm -rf "$work"; rm -f "$WINEPREFIX/dosdevices/com5" "$WINEPREFIX/drive_c/MB connection"*' EXIT

# The base files where each program looks for them: the Linux user's home, and C:\.
mkdir -p "$work/home"
for f in samples/kb90/*.txt samples/ite/*.txt; do
  cp "$f" "$work/home/"
  cp "$f" "$WINEPREFIX/drive_c/"
done
# tarvex-cli.exe with the stand-in library beside it, as ftd2xx.dll would be installed.
mkdir -p "$work/bin"
cp "$wincli" "$standin" "$work/bin/"

passed=0
failed=0
check() {  # name, then a command that succeeds when the check passes
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "PASS  $name"
  else
    failed=$((failed + 1))
    echo "FAIL  $name"
  fi
}

serve() {  # target: starts the server, sets $slave
  coproc SERVER { exec "$server" "$1" ${2:-}; }
  read -r slave <&"${SERVER[0]}"
}
unserve() {
  exec {SERVER[1]}>&-
  wait "$SERVER_PID" 2>/dev/null
}

# What differs between the runs by design: the time of day, the driver's version, and the
# backups folder (the home on Linux, %LOCALAPPDATA% on Windows) with its time-stamped names.
normalize='s/[0-9]{2}:[0-9]{2}:[0-9]{2}/hh:mm:ss/g; s/(Версия драйвера этого порта ).*/\1(version)/'
normalize+='; s#[^ ]*[/\\]([a-z0-9]+)-[0-9]{8}-[0-9]{6}(-[0-9]+)?\.bin#BACKUPS/\1-YYYYMMDD-HHMMSS.bin#g'

# Runs the commands of one scenario with one program: "linux" (tarvex-cli on the pty),
# "com" (tarvex-cli.exe on COM5) or "d2xx" (tarvex-cli.exe beside the stand-in library),
# in the folder $work/<kind>, writing out.txt: each command's lines and its exit status.
# The stand-in's adapter lives in the process that loads it, so each d2xx command meets a
# fresh adapter; "fresh" is the Linux run to compare it with: a new server per command.
run_scenario() {
  local kind=$1 target=$2
  shift 2
  local dir="$work/$kind"
  rm -rf "$dir"
  mkdir -p "$dir"
  case $kind in
    linux | com) serve "$target" ;;
  esac
  [ "$kind" = com ] && ln -sfn "$slave" "$WINEPREFIX/dosdevices/com5"
  local command
  for command in "$@"; do
    local args
    read -r -a args <<<"$command"
    [ "$kind" = fresh ] && serve "$target"
    (
      cd "$dir"
      case $kind in
        linux | fresh) HOME="$work/home" XDG_DATA_HOME= "$lincli" --port "$slave" "${args[@]}" ;;
        com) wine64 "$wincli" --port COM5 "${args[@]}" ;;
        d2xx) TARVEX_STANDIN_TARGET="$target" wine64 "$work/bin/tarvex-cli.exe" "${args[@]}" ;;
      esac
      echo "exit $? after: $command"
    ) 2>/dev/null | tr -d '\r' | sed -E "$normalize" >>"$dir/out.txt"
    [ "$kind" = fresh ] && unserve
  done
  case $kind in
    linux | com) unserve ;;
  esac
}

same_as() {  # Linux kind, Windows kind, files...
  local linux=$1 windows=$2
  shift 2
  diff -u "$work/$linux/out.txt" "$work/$windows/out.txt" || return 1
  local f
  for f in "$@"; do
    # A file neither run made (a read that failed in both) is the same too.
    [ -e "$work/$linux/$f" ] || [ -e "$work/$windows/$f" ] || continue
    cmp "$work/$linux/$f" "$work/$windows/$f" || return 1
  done
}

scenario() {  # target, files (comma-separated), commands...
  local target=$1 files
  IFS=, read -r -a files <<<"$2"
  shift 2
  run_scenario linux "$target" "$@"
  run_scenario com "$target" "$@"
  check "$target through COM5" same_as linux com "${files[@]}"
  run_scenario fresh "$target" "$@"
  run_scenario d2xx "$target" "$@"
  check "$target through ftd2xx.dll" same_as fresh d2xx "${files[@]}"
}

scenario EDID panel.bin "adapter check" "edid read panel.bin" "edid write panel.bin"
scenario KB9012 kb.bin "kb90 read kb.bin" "kb90 write kb.bin"
scenario MEC1609 mec.bin "mec16 check" "mec16 read mec.bin" "mec16 erase --no-backup" \
  "mec16 write mec.bin --no-backup"
scenario IT85xx ite.bin "ite settings --preset 1" "ite check" "ite read ite.bin" "ite write ite.bin"

no_adapter() {
  local out status
  out=$(cd "$work" && wine64 "$wincli" adapter check 2>/dev/null)
  status=$?
  [ "$status" -eq 1 ] && [ "$(printf '%s\n' "$out" | tr -d '\r' | head -n 1)" = "VCOM порты не найдены!" ]
}
check "adapter check with no D2XX library and no COM port" no_adapter

if [ "$mode" = bench ]; then
  timed() {  # kind
    local t0 t1
    t0=$(date +%s.%N)
    case $1 in
      linux) (cd "$work" && "$lincli" --port "$slave" mec16 read bench.bin --force >/dev/null 2>&1) ;;
      com) (cd "$work" && wine64 "$wincli" --port COM5 mec16 read bench.bin --force >/dev/null 2>&1) ;;
    esac
    t1=$(date +%s.%N)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }'
  }
  serve MEC1609 --wire
  ln -sfn "$slave" "$WINEPREFIX/dosdevices/com5"
  echo "-- mec16 read (192 KiB, modelled 921600 baud line) on the Linux serial backend: $(timed linux) s"
  echo "-- mec16 read through COM5 under Wine:                                   $(timed com) s"
  unserve
fi

echo "-- port round trips: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
