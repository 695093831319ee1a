#!/usr/bin/env bash
# Sourced by the bench scripts: best_of_three LABEL COMMAND [ARG ...] runs the command three times and
# prints its best wall seconds and that run's peak memory, the label padded to WIDTH (default 34).
#   . bench/best_of_three.sh
case ${1:-} in -h | --help) [ "${BASH_SOURCE[0]}" = "$0" ] && sed -n '2,/^#   \./{s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac
best_of_three() {
    local label=$1 best="" line
    shift
    for _ in 1 2 3; do
        line=$(/usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -n 1)
        if [ -z "$best" ] || [ "$(echo "$line" | awk '{print $1}')" \< "$(echo "$best" | awk '{print $1}')" ]; then
            best=$line
        fi
    done
    echo "$best" | awk -v label="$label" -v width="${WIDTH:-34}" \
        '{printf "%-*s %6.2f s  %6.1f MB peak\n", width, label, $1, $2 / 1024}'
}
