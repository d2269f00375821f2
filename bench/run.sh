#!/usr/bin/env bash
# Measures ostrel-convert side by side with the floor (cp -r of the same tree)
# and with extracting the pictures by a shell loop; prints a Markdown table,
# each figure the median of RUNS runs. Usage: bench/run.sh BUILD_FOLDER
set -euo pipefail

build=${1:-build}
runs=${RUNS:-3}
turns=${TURNS:-6}  # of the runs paired with cp -r
convert="$build/cli/ostrel-convert"
make_samples="$build/tools/ostrel-make-samples"
count="$build/bench/ostrel-bench-count"
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

# The median of the numbers on standard input.
median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# Seconds that a command takes, as the median of $runs runs; $reset runs before each.
timed() {
    for _ in $(seq "$runs"); do
        eval "$reset"
        sync
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        echo "$end - $start" | bc -l
    done | median | xargs printf '%.2f'
}

ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }

# What a user without Ostrel would script: cut each file's header off with
# tail, one process a file.
shell_loop() {
    local src=$1 out=$2 dir f name
    for dir in "$src"/*/; do
        dir=${dir%/}
        mkdir -p "$out/${dir##*/}"
        for f in "$dir"/*.PMP; do
            name=${f##*/}
            tail -c +125 "$f" >"$out/${dir##*/}/${name%.PMP}.jpg"
        done
    done
}

echo "Generating trees in $work ..." >&2
"$make_samples" tree "$work/src" 100 100 65536 2>/dev/null
"$make_samples" tree "$work/shared" 100 100 4096 shared 2>/dev/null
"$make_samples" tree "$work/distinct" 100 100 4096 2>/dev/null
"$make_samples" big "$work/big/PSN00001.PMP" $((1 << 30)) 2>/dev/null
"$make_samples" tree "$work/m1k" 10 100 1024 2>/dev/null
"$make_samples" tree "$work/small" 200 100 1024 2>/dev/null
"$make_samples" tree "$work/m100k" 1000 100 1024 2>/dev/null
mkdir -p "$work/count"
for d in $(seq 1 1000); do
    mkdir -p "$work/count/d$d"
    (cd "$work/count/d$d" && touch $(seq -f 'PSN%05g.PMP' 1 100))
done

# ostrel-convert against cp -r of the same tree, run by run, taking turns
# which goes first: "WALL CPU", the medians of the two programs' ratios in
# elapsed and in CPU (user and system) time.
paired() {
    local tree=$1
    for i in $(seq "$turns"); do
        local first=ostrel second=cp
        [ $((i % 2)) -eq 0 ] && first=cp second=ostrel
        for program in $first $second; do
            rm -rf "$work/out"
            [ $program = ostrel ] && mkdir -p "$work/out"
            sync
            local tool=("$convert" --quiet --subfolders matching "$tree" "$work/out")
            [ $program = cp ] && tool=(cp -r "$tree" "$work/out")
            /usr/bin/time -f "$program %e %U %S" -o "$work/time.$program" "${tool[@]}" >/dev/null
        done
        read -r _ we ue se <"$work/time.ostrel"
        read -r _ wc uc sc <"$work/time.cp"
        echo "$(echo "$we / $wc" | bc -l) $(echo "($ue + $se) / ($uc + $sc)" | bc -l)"
    done >"$work/pairs"
    printf '%.2f %.2f\n' "$(awk '{ print $1 }' "$work/pairs" | median)" \
        "$(awk '{ print $2 }' "$work/pairs" | median)"
}
read -r r_small_wall r_small_cpu < <(paired "$work/small")
read -r r_big_wall r_big_cpu < <(paired "$work/src")

# The system calls a picture costs, over a whole run of 1,000 pictures.
rm -rf "$work/out"
mkdir -p "$work/out"
strace -f -c -o "$work/strace" "$convert" --quiet --subfolders matching "$work/m1k" "$work/out" >/dev/null
calls=$(awk '$NF == "total" { print $(NF - 2) }' "$work/strace")
calls_per_picture=$(printf '%.1f' "$(echo "$calls / 1000" | bc -l)")

reset='rm -rf "$work/out"; mkdir -p "$work/out"'
t_ostrel=$(timed "$convert" --quiet --subfolders matching "$work/src" "$work/out")
# --exif against plain runs, the two alternating: each run is slowed by what
# the runs before it left the file system to clean up, so back-to-back series
# would favour whichever came first.
pairs=$(for _ in $(seq "$runs"); do
    echo "$(runs=1 timed "$convert" --quiet --subfolders matching "$work/src" "$work/out")" \
        "$(runs=1 timed "$convert" --quiet --subfolders matching --exif "$work/src" "$work/out")"
done)
t_plain=$(awk '{ print $1 }' <<<"$pairs" | median)
t_exif=$(awk '{ print $2 }' <<<"$pairs" | median)
reset='rm -rf "$work/out"'
t_cp=$(timed cp -r "$work/src" "$work/out")
reset='rm -rf "$work/out"; mkdir -p "$work/out"'
t_loop=$(runs=1 timed shell_loop "$work/src" "$work/out")  # slow: once is enough

# Deleting the sources: each run on a fresh copy of the tree, with and without.
reset='rm -rf "$work/out" "$work/run"; mkdir -p "$work/out"; cp -r "$work/src" "$work/run"'
t_keep=$(timed "$convert" --quiet --subfolders matching "$work/run" "$work/out")
t_delete=$(timed "$convert" --quiet --subfolders matching --delete-files pmp "$work/run" "$work/out")
# The floor for deleting: the sources may go only once the copies are on the disk.
t_synced=$(timed sh -c '"$0" --quiet --subfolders matching "$1" "$2" && sync' \
    "$convert" "$work/run" "$work/out")

# Peak memory (MiB) of a whole run over a tree.
peak_mib() {
    rm -rf "$work/out"
    mkdir -p "$work/out"
    local kib
    kib=$({ /usr/bin/time -f '%M' "$convert" --quiet --subfolders matching "$1" "$work/out" >/dev/null; } 2>&1 | tail -1)
    echo $((kib / 1024))
}
mib_1k=$(peak_mib "$work/m1k")
mib_100k=$(peak_mib "$work/m100k")

all_off="--omit recorded,album,shot,lens,flash,shutter,quality,revised,comment,device"
t_shared=$(timed "$convert" --quiet --subfolders top $all_off "$work/shared" "$work/out")
t_distinct=$(timed "$convert" --quiet --subfolders top "$work/distinct" "$work/out")

big=$( { /usr/bin/time -f '%e %M' "$convert" --quiet "$work/big" "$work/out" >/dev/null; } 2>&1 | tail -1)
big_seconds=${big% *}
big_mib=$(( ${big#* } / 1024 ))

read -r t_count n_count < <("$count" "$work/count" "$runs")
t_count=$(printf '%.3f' "$t_count")

cat <<TABLE
| Measure | Seconds | Ratio |
|---|---|---|
| 20,000 PMP files of 1 KiB in 200 folders, paired run by run with cp -r | | $r_small_wall × cp -r (CPU $r_small_cpu ×) |
| 10,000 PMP files of 64 KiB in 100 folders, paired run by run with cp -r | | $r_big_wall × cp -r (CPU $r_big_cpu ×) |
| system calls a picture (1,000 pictures of 1 KiB, whole run) | $calls_per_picture calls | |
| 10,000 PMP files of 64 KiB in 100 folders: ostrel-convert | $t_ostrel | $(ratio "$t_ostrel" "$t_cp") × cp -r |
| the same tree with --exif (an Exif block in each) | $t_exif | $(ratio "$t_exif" "$t_plain") × without ($t_plain s in the same turns) |
| the same tree: cp -r (the floor) | $t_cp | 1.00 |
| the same tree: a shell loop cutting off each header | $t_loop | $(ratio "$t_loop" "$t_cp") × cp -r |
| the same tree, deleting the sources (--delete-files pmp) | $t_delete | $(ratio "$t_delete" "$t_keep") × keeping them |
| the same tree, keeping the sources (a fresh copy each run) | $t_keep | 1.00 |
| the same tree, keeping the sources, then sync | $t_synced | $(ratio "$t_synced" "$t_keep") × keeping them |
| deleting the sources against keeping them, then sync | | $(ratio "$t_delete" "$t_synced") × |
| 10,000 pictures sharing one name (4 KiB) | $t_shared | $(ratio "$t_shared" "$t_distinct") × distinct |
| 10,000 pictures with distinct names (4 KiB) | $t_distinct | 1.00 |
| one 1 GiB PMP file (peak memory ${big_mib} MiB) | $big_seconds | |
| counting a tree of $n_count PMP files in 1,000 folders | $t_count | |
| peak memory converting 1,000 files (10 folders) | ${mib_1k} MiB | |
| peak memory converting 100,000 files (1,000 folders) | ${mib_100k} MiB | $(ratio "$mib_100k" "$mib_1k") × 1,000 files |
TABLE
