#!/usr/bin/env bash
# QR reading compared with zbarimg (Debian package zbar-tools) on the same
# images, in one run: a 40-megapixel noisy photo with one small turned code
# and a 4,096-pixel PNG with two codes (made by qr-sample-images).
#   bench/qr_read_vs_zbarimg.sh <build dir> [runs=3]
# For each tool and file: the best of the runs, wall and CPU seconds of the
# whole process; for qr-read also its own measure of the read. Goal: every
# code found, and at most a quarter of zbarimg's time on the photo.
set -euo pipefail
build=$(cd "$1" && pwd); runs=${2:-3}
command -v zbarimg >/dev/null || { echo "zbarimg is missing (apt-get install zbar-tools)" >&2; exit 2; }
samples=$build/bench/qr-samples
if [[ ! -f $samples/photo.jpg || ! -f $samples/codes.png ]]; then
  QT_QPA_PLATFORM=offscreen "$build/bench/qr-sample-images" "$samples" 2>/dev/null
fi
TIMEFORMAT='%R %U %S'

# best <tool> <file>: prints "wall cpu" of the fastest run and leaves that
# run's output in $out.best.
out=$(mktemp); trap 'rm -f "$out" "$out.t" "$out.best"' EXIT
best() {
  local tool=$1 file=$2 wall cpu bw= bc=
  for ((i = 0; i < runs; i++)); do
    case $tool in
      qr-read) { time "$build/bench/qr-read" "$file" >"$out" 2>/dev/null || true; } 2>"$out.t" ;;
      zbarimg) { time zbarimg -q --raw "$file" >"$out" 2>/dev/null || true; } 2>"$out.t" ;;
    esac
    read -r wall u s <"$out.t"
    cpu=$(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }')
    if [[ -z $bw ]] || awk -v a="$wall" -v b="$bw" 'BEGIN { exit !(a < b) }'; then
      bw=$wall; bc=$cpu; cp "$out" "$out.best"
    fi
  done
  echo "$bw $bc"
}

declare -A expect=([photo.jpg]=1 [codes.png]=2)
printf '%-10s %-8s %9s %9s %9s %6s  %s\n' file tool "read ms" "wall s" "cpu s" codes texts
status=0
for name in photo.jpg codes.png; do
  file=$samples/$name
  read -r qw qc < <(best qr-read "$file")
  line=$(cat "$out.best")
  ms=$(cut -f2 <<<"$line"); texts=$(cut -f3 <<<"$line")
  found=$(awk -F'|' '{ print NF }' <<<"$texts")
  [[ $line == *"QR code was found"* || $line == *"Choose a supported"* ]] && found=0
  printf '%-10s %-8s %9s %9s %9s %6s  %s\n' "$name" qr-read "$ms" "$qw" "$qc" "$found" "$texts"
  read -r zw zc < <(best zbarimg "$file")
  zfound=$(grep -c . "$out.best" || true)
  printf '%-10s %-8s %9s %9s %9s %6s  %s\n' "$name" zbarimg - "$zw" "$zc" "$zfound" "$(paste -sd'|' "$out.best")"
  if ((found != expect[$name])); then echo "  qr-read found $found of ${expect[$name]} codes"; status=1; fi
  if [[ $name == photo.jpg ]]; then
    awk -v q="$qw" -v z="$zw" -v qc="$qc" -v zc="$zc" 'BEGIN {
      printf "  photo: qr-read takes %.1f %% of zbarimg'\''s wall time, %.1f %% of its CPU time (goal: at most 25 %%)\n", 100*q/z, 100*qc/zc
      exit !(q <= z/4) }' || status=1
  fi
done
exit $status
