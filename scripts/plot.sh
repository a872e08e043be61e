#!/usr/bin/env bash
# Plots agvbatch's CSV files with gnuplot (PNG).
#   scripts/plot.sh RUN_DIR            a PTP or CP run: for each path and mechanism a PNG
#                                      beside its CSV (arc_2.png, cp_1.png, ...) with x(t),
#                                      y(t), the error and the curvature
#   scripts/plot.sh SWEEP.csv [COLUMN [ACROSS DOWN]]
#                                      a sweep: SWEEP_COLUMN.png (SWEEP_COLUMN_ACROSS_DOWN.png
#                                      over other axes), a heat map over the columns ACROSS
#                                      and DOWN (default x[m] and y[m]; a parameter axis such
#                                      as Lw[m] will do) of the largest value of COLUMN over
#                                      the other columns (default arc2_maxerr[m], the largest
#                                      position error of the 1FDW1FS AGV on the arc-line
#                                      path); refused poses blank
set -euo pipefail

if [ $# -lt 1 ] || [ "$1" = "--help" ]; then
  sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
command -v gnuplot >/dev/null || { echo "plot.sh: gnuplot is missing (scripts/deps.sh installs it)" >&2; exit 2; }

# Column number of a header name in a CSV file.
column() { head -1 "$1" | tr "," "\n" | grep -nxF "$2" | cut -d: -f1 || true; }

# One run file: x(t), y(t), error (x and y) and curvature; the variable-velocity run
# beside it when there is one.
plotrun() {
  local csv="$1" vv="$2" png="$3" title="$4"
  local t=1 rx ry rk cx cy ck ex ey
  rx=$(column "$csv" 'ref_x[m]'); ry=$(column "$csv" 'ref_y[m]'); rk=$(column "$csv" 'ref_kap[1/m]')
  cx=$(column "$csv" 'cv_x[m]'); cy=$(column "$csv" 'cv_y[m]'); ck=$(column "$csv" 'cv_kap[1/m]')
  ex=$(column "$csv" 'err_x[m]'); ey=$(column "$csv" 'err_y[m]')
  local vvx="" vvy="" vvk=""
  if [ -n "$vv" ]; then
    vvx=", '$vv' using 1:(\$4) with lines lw 2 lc rgb 'dark-green' title 'variable velocity'"
    vvy=", '$vv' using 1:(\$5) with lines lw 2 lc rgb 'dark-green' title 'variable velocity'"
    vvk=", '$vv' using 1:(\$7) with lines lw 2 lc rgb 'dark-green' title 'variable velocity'"
  fi
  # A run without error (the caster type) has flat error curves; gnuplot widens their range.
  gnuplot 2> >(grep -v 'empty y range' >&2) <<EOF
set datafile separator ','
set terminal pngcairo size 1000,800 font ',10' noenhanced
set output '$png'
set multiplot layout 2,2 title '$title'
set grid
set key left top
set xlabel 't [s]'
set ylabel 'x [m]'
set title 'x(t)'
plot '$csv' using $t:$rx with lines lw 2 lc rgb 'red' title 'theory', \
     '$csv' using $t:$cx with lines lw 2 lc rgb 'blue' title 'constant velocity'$vvx
set ylabel 'y [m]'
set title 'y(t)'
plot '$csv' using $t:$ry with lines lw 2 lc rgb 'red' title 'theory', \
     '$csv' using $t:$cy with lines lw 2 lc rgb 'blue' title 'constant velocity'$vvy
set ylabel 'error [m]'
set title 'tracking error of the constant-velocity AGV'
plot '$csv' using $t:$ex with lines lw 2 lc rgb 'red' title 'x', \
     '$csv' using $t:$ey with lines lw 2 lc rgb 'blue' title 'y'
set ylabel 'curvature [1/m]'
set title 'curvature'
plot '$csv' using $t:$rk with lines lw 2 lc rgb 'red' title 'theory', \
     '$csv' using $t:$ck with lines lw 2 lc rgb 'blue' title 'constant velocity'$vvk
unset multiplot
EOF
  echo "$png"
}

names=("" "2DW1C" "1FDW1FS" "1RDW1FS")
if [ -d "$1" ]; then
  dir="$1"
  found=0
  for k in 1 2 3; do
    for path in arc clothoid; do
      if [ -f "$dir/${path}_$k.csv" ]; then
        plotrun "$dir/${path}_$k.csv" "$dir/${path}_${k}_vv.csv" "$dir/${path}_$k.png" \
          "${names[$k]}, $path-line path"
        found=1
      fi
    done
    if [ -f "$dir/cp_$k.csv" ]; then
      plotrun "$dir/cp_$k.csv" "" "$dir/cp_$k.png" "${names[$k]}, CP curve"
      found=1
    fi
  done
  [ "$found" = 1 ] || { echo "plot.sh: no run files in $dir" >&2; exit 2; }
  exit 0
fi

csv="$1"
name="${2:-arc2_maxerr[m]}"
across="${3:-x[m]}"
down="${4:-y[m]}"
[ -f "$csv" ] || { echo "plot.sh: no file $csv" >&2; exit 2; }
cs=$(column "$csv" 'status')
[ -n "$cs" ] || { echo "plot.sh: $csv is no sweep" >&2; exit 2; }
col=$(column "$csv" "$name"); cx=$(column "$csv" "$across"); cy=$(column "$csv" "$down")
for c in "$name:$col" "$across:$cx" "$down:$cy"; do
  [ -n "${c##*:}" ] || { echo "plot.sh: no column ${c%:*} in $csv" >&2; exit 2; }
done
# The picture is named after the column it maps (and the axes, when they are not x and y),
# each name without its unit.
bare() { printf '%s' "${1%%[*}"; }
png="${csv%.csv}_$(bare "$name")"
[ "$across $down" = "x[m] y[m]" ] || png="${png}_$(bare "$across")_$(bare "$down")"
png="$png.png"
grid="$(mktemp)"
trap 'rm -f "$grid"' EXIT
# The largest value at each point of the map, in the sweep's own order.
awk -F, -v c="$col" -v cx="$cx" -v cy="$cy" -v cs="$cs" 'NR > 1 {
    key = $cx "," $cy
    if (!(key in seen)) { seen[key] = 1; order[++n] = key; best[key] = "" }
    if ($cs == "ok" && (best[key] == "" || $c + 0 > best[key] + 0)) best[key] = $c
  }
  END { for (i = 1; i <= n; ++i) { split(order[i], p, ","); print p[1], p[2], (best[order[i]] == "" ? "NaN" : best[order[i]]) } }' \
  "$csv" >"$grid"
gnuplot <<EOF
set terminal pngcairo size 900,750 font ',10' noenhanced
set output '$png'
set title "largest of $name over the other columns"
set xlabel "$across"
set ylabel "$down"
set cblabel "$name"
$([ "$across $down" = "x[m] y[m]" ] && echo "set size ratio -1")
set palette rgbformulae 33,13,10
plot '$grid' using 1:2:3 with image notitle
EOF
echo "$png"
