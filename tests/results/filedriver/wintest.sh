#!/usr/bin/env bash
# Linux and Windows processes on one shared result file: appenders, teachers
# and crashes of either side, each checked to the byte by `filedriver verify`.
#
#   wintest.sh NATIVE_DRIVER OTHER_DRIVER WORK_DIR
#
# An OTHER_DRIVER whose name ends in .exe runs under Wine, in a private prefix
# under WORK_DIR (WINE64 names the loader, default /usr/lib/wine/wine64;
# WINEDEBUG defaults to Wine's errors only, shown with a failed case). Any
# other OTHER_DRIVER runs as it is: the same scenarios between two native
# drivers, as the normal tests run them.
#
# Prints one line a case and "N passed, M failed"; exits 1 on any failure.
# The figures of the append cases (records, seconds, the worst lock wait on
# each side) are measurements, never pass conditions.
set -uo pipefail

if [ $# -ne 3 ]; then
    sed -n '5,12p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
fi
native=$(realpath "$1")
other=$(realpath "$2")
work=$(realpath -m "$3")
appenders=500 # records per appender
teacher_edits=40
result_name=成績累積データ.dat

mkdir -p "$work"
logs=$work/logs
rm -rf "$logs" "$work"/case-*
mkdir -p "$logs"

wine=
other_name=native-2
if [[ $other == *.exe ]]; then
    other_name=Wine
    wine=${WINE64:-/usr/lib/wine/wine64}
    [ -x "$wine" ] || wine=$(command -v wine) || { echo "Wine is not installed" >&2; exit 1; }
    export WINEPREFIX=$work/wineprefix WINEDEBUG=${WINEDEBUG:--all,err+all} WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Making the Wine prefix $WINEPREFIX"
        "$wine" wineboot -i >"$logs/wineboot.log" 2>&1 || { cat "$logs/wineboot.log" >&2; exit 1; }
    fi
    # One server for every case: a Wine process then starts in milliseconds.
    wineserver=$(dirname "$wine")/wineserver
    [ -x "$wineserver" ] || wineserver=$(command -v wineserver)
    "$wineserver" -p
    trap '"$wineserver" -k 2>/dev/null' EXIT
fi

# cmd_for SIDE COMMAND FILE ARGS...: the command line in CMD, SIDE n (native)
# or w (the other driver), the file's path as that side names it. Kept as an
# array, so that `"${CMD[@]}" &` leaves the driver's own process id in $!.
cmd_for() {
    local side=$1 command=$2 file=$3
    shift 3
    if [ "$side" = n ]; then
        CMD=("$native" "$command" "$file" "$@")
    elif [ -n "$wine" ]; then
        CMD=("$wine" "$other" "$command" "Z:${file//\//\\}" "$@")
    else
        CMD=("$other" "$command" "$file" "$@")
    fi
}
drive() {
    cmd_for "$@"
    if [ "$1" = n ] || [ -z "$wine" ]; then
        "${CMD[@]}"
        return
    fi
    local err status
    err=$(mktemp)
    "${CMD[@]}" 2>"$err"
    status=$?
    # The driver names each failure of its own on standard error. A Wine
    # process that ended with 1 and said nothing, or said only that it could
    # not map its shared user data (its address space was taken at start),
    # never ran it (each seen about once in 1,500 starts): it is started
    # again, at most twice, and a line says so.
    local tries=0
    while [ "$status" -eq 1 ] && [ "$tries" -lt 2 ] &&
        { [ ! -s "$err" ] || ! grep -qv 'virtual_alloc_first_teb\|failed to map the shared user data' "$err"; }; do
        tries=$((tries + 1))
        echo "# Wine ended without starting the driver ($(tr '\n' ' ' <"$err")); started again" >&2
        "${CMD[@]}" 2>"$err"
        status=$?
    done
    cat "$err" >&2
    rm -f "$err"
    return "$status"
}
side_name() { if [ "$1" = n ]; then echo native; else echo "$other_name"; fi; }

# The largest worst-wait-ms of the figure lines in the given logs.
worst_wait() { cat "$@" | sed -n 's/^# .* worst-wait-ms=\([0-9]*\).*/\1/p' | sort -n | tail -1; }
now() { date +%s.%N; }
seconds_since() { echo "$(now) $1" | awk '{printf "%.2f", $1 - $2}'; }

passed=0
failed=0
# case_run NAME FUNCTION ARGS...: a case passes when FUNCTION returns 0; what
# it prints on standard output is its figure, standard error its reasons.
case_run() {
    local name=$1
    shift
    local start out err=$logs/case.err
    start=$(now)
    if out=$("$@" 2>"$err"); then
        passed=$((passed + 1))
        echo "PASS $name ($(seconds_since "$start") s)${out:+: $out}"
    else
        failed=$((failed + 1))
        echo "FAIL $name ($(seconds_since "$start") s)${out:+: $out}"
        sed 's/^/    /' "$err" | head -40
    fi
}

# A new case folder CASE for the logs, with an empty folder DIR of the shared
# file FILE in it. Cases run in subshells, hence no counter.
fresh() {
    CASE=$(mktemp -d "$work/case-XXXXXX")
    DIR=$CASE/share
    mkdir "$DIR"
    FILE=$DIR/$result_name
}

# A fresh case whose file holds records 1..10 of process 1.
ten_records() {
    fresh
    drive n append "$FILE" 1 10 >/dev/null
}

# Record 3 of ten, deleted or corrected (OP) on side SIDE, stopped at STEP;
# the edit's log in $CASE/edit.
stopped_edit() {
    local side=$1 op=$2 step=$3
    ten_records || return 1
    expect_exit 3 drive "$side" edit "$FILE" "$op" 3 "$step" >"$CASE/edit"
}

# Nothing but the result file may stay in the folder: a journal, or one set
# aside, means a rewrite was left half done.
only_the_file() {
    local left
    left=$(ls -A "$DIR")
    [ "$left" = "$result_name" ] || { echo "left in the folder: $left" >&2; return 1; }
}

expect_exit() {
    local want=$1 got
    shift
    "$@"
    got=$?
    [ "$got" -eq "$want" ] || { echo "exit $got, not $want: $*" >&2; return 1; }
}

# Appenders 1, 2 on this computer and 3, 4 on the other side, each writing
# $appenders records; with `teachers`, one teacher on each side deletes and
# corrects meanwhile. No process crashes here, so none may ever find a
# journal under its lock: one would mean that the lock let a rewrite and
# another process in at once.
storm() {
    local with_teachers=${1:-} pids=() p ok=0 start
    fresh
    start=$(now)
    for p in 1 2 3 4; do
        cmd_for "$([ $p -le 2 ] && echo n || echo w)" append "$FILE" $p $appenders
        "${CMD[@]}" >"$CASE/append-$p" &
        pids+=($!)
    done
    if [ -n "$with_teachers" ]; then
        cmd_for n teacher "$FILE" 1 $teacher_edits
        "${CMD[@]}" >"$CASE/teacher-1" &
        pids+=($!)
        cmd_for w teacher "$FILE" 2 $teacher_edits
        "${CMD[@]}" >"$CASE/teacher-2" &
        pids+=($!)
    fi
    for p in "${pids[@]}"; do
        wait "$p" || { echo "a driver failed (exit $?)" >&2; ok=1; }
    done
    local seconds
    seconds=$(seconds_since "$start")
    [ $ok -eq 0 ] || return 1
    if grep -h "^# " "$CASE"/*-[0-9] | grep -v ' journals=0 ' >&2; then
        echo "a journal was found under the lock" >&2
        return 1
    fi
    local expected=(1:$appenders 2:$appenders 3:$appenders 4:$appenders)
    [ -n "$with_teachers" ] && expected+=("@$CASE/teacher-1" "@$CASE/teacher-2")
    "$native" verify "$FILE" "${expected[@]}" >/dev/null && only_the_file || return 1

    local records=$((4 * appenders)) kept
    kept=$(($(stat -c %s "$FILE") / 44))
    printf '%d records appended in %s s, %d in the file; worst lock wait of an append: native %s ms, %s %s ms' \
        $records "$seconds" "$kept" \
        "$(worst_wait "$CASE/append-1" "$CASE/append-2")" "$other_name" \
        "$(worst_wait "$CASE/append-3" "$CASE/append-4")"
    if [ -n "$with_teachers" ]; then
        printf '; teachers: native %s, %s %s; worst lock wait native %s ms, %s %s ms' \
            "$(grep -ho 'deleted=.* changed=[0-9]*' "$CASE/teacher-1")" "$other_name" \
            "$(grep -ho 'deleted=.* changed=[0-9]*' "$CASE/teacher-2")" \
            "$(worst_wait "$CASE/teacher-1")" "$other_name" \
            "$(worst_wait "$CASE/teacher-2")"
    fi
}

# A process of side KILLED killed while it holds the lock, in the middle of an
# append (part of a record written); side OTHER must find the lock taken,
# then, once the process is gone, append over the torn part.
killed_holder() {
    local killed=$1 survivor=$2 pid
    ten_records || return 1
    cmd_for "$killed" hold "$FILE" 600000 20
    "${CMD[@]}" >"$CASE/hold" &
    pid=$!
    local tries=0
    until grep -q locked "$CASE/hold"; do
        tries=$((tries + 1))
        if [ $tries -gt 600 ] || ! kill -0 $pid 2>/dev/null; then
            echo "the holder never took the lock" >&2
            kill -KILL $pid 2>/dev/null
            return 1
        fi
        sleep 0.1
    done
    local busy=0
    expect_exit 4 drive "$survivor" trylock "$FILE" >/dev/null || busy=1
    kill -KILL $pid
    wait $pid 2>/dev/null
    [ $busy -eq 0 ] || return 1
    drive "$survivor" append "$FILE" 2 1 >/dev/null || return 1
    "$native" verify "$FILE" 1:10 2:1 >/dev/null && only_the_file
}

# The steps a deletion or correction passes, as side SIDE names them.
steps_of() {
    local side=$1 op=$2
    ten_records || return 1
    drive "$side" edit "$FILE" "$op" 3 | sed -n 's/^# step //p'
}

# A deletion or correction (OP) of side KILLED stopped at STEP; the next
# append, on side OTHER, must finish or undo it. A kill loses nothing the
# process wrote (unlike a power loss), so only a stop before the journal's
# contents were written (the first step) may leave the record as it was;
# from there on the change must come through.
killed_edit() {
    local killed=$1 survivor=$2 op=$3 step=$4 first_step=$5
    stopped_edit "$killed" "$op" "$step" || return 1
    drive "$survivor" append "$FILE" 2 1 >/dev/null || return 1
    local expected=(1:10 2:1)
    [ "$step" = "$first_step" ] || expected+=("@$CASE/edit")
    "$native" verify "$FILE" "${expected[@]}" >/dev/null && only_the_file
}

# As killed_edit, and then the recovery itself, on side SURVIVOR, stopped at
# RECOVERY_STEP; a third process, back on side KILLED, appends and finishes.
killed_recovery() {
    local killed=$1 survivor=$2 op=$3 step=$4 recovery_step=$5
    stopped_edit "$killed" "$op" "$step" || return 1
    expect_exit 3 drive "$survivor" recover "$FILE" "$recovery_step" >/dev/null || return 1
    drive "$killed" append "$FILE" 2 1 >/dev/null || return 1
    "$native" verify "$FILE" 1:10 2:1 "@$CASE/edit" >/dev/null && only_the_file
}

# The recovery steps after an edit stopped at STEP, as side SIDE names them.
recovery_steps_of() {
    local killed=$1 side=$2 op=$3 step=$4
    stopped_edit "$killed" "$op" "$step" 2>/dev/null || return 1
    drive "$side" recover "$FILE" | sed -n 's/^# step //p'
}

echo "Native driver: $native"
echo "Other side ($other_name): $other${wine:+ (under $wine)}"

case_run "(a) 2 native and 2 $other_name appenders × $appenders" storm
case_run "(b) the same, with a native and a $other_name teacher deleting and correcting" storm teachers

for sides in "w n" "n w"; do
    set -- $sides
    case_run "(c) a $(side_name "$1") appender killed holding the lock, $(side_name "$2") appends" \
        killed_holder "$1" "$2"
done

for sides in "w n" "n w"; do
    set -- $sides
    killed=$1 survivor=$2
    for op in delete replace; do
        mapfile -t steps < <(steps_of "$killed" "$op")
        if [ ${#steps[@]} -lt 3 ]; then
            failed=$((failed + 1))
            echo "FAIL (c) the steps of a $op on $(side_name "$killed"): only '${steps[*]}'"
            continue
        fi
        for step in "${steps[@]}"; do
            case_run "(c) a $(side_name "$killed") $op killed at $step, $(side_name "$survivor") appends" \
                killed_edit "$killed" "$survivor" "$op" "$step" "${steps[0]}"
        done
        # Recoveries cut off in turn, from an edit stopped past its journal.
        for step in "${steps[@]:1}"; do
            mapfile -t recovery_steps < <(recovery_steps_of "$killed" "$survivor" "$op" "$step")
            for recovery_step in "${recovery_steps[@]}"; do
                case_run "(c) a $(side_name "$killed") $op killed at $step, a $(side_name "$survivor") recovery killed at $recovery_step" \
                    killed_recovery "$killed" "$survivor" "$op" "$step" "$recovery_step"
            done
        done
    done
done

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
