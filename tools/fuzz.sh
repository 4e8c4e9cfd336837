#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", in build-fuzz/) and runs each for FUZZ_SECONDS.
# A target's corpus grows in build-fuzz/corpus/<target>, starting from its seeds; what makes it
# fail lands in build-fuzz/artifacts/<target>/. Exits non-zero when any target failed.
#
#   FUZZ_SECONDS  how long each target runs (default 60)
#   FUZZ_TARGETS  which targets to run (default: all three)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-"fuzz_task_list fuzz_profile fuzz_icalendar"}
build=build-fuzz

cmake --preset fuzz
# shellcheck disable=SC2086 # one target name per word
nice -n 10 cmake --build --preset fuzz --target $targets

# The seeds of a target: folders to copy into its corpus, and its dictionary.
seeds_of() {
    case $1 in
    fuzz_task_list) echo "tests/data resources" ;;
    fuzz_profile) echo "fuzz/seeds/profile" ;;
    fuzz_icalendar) echo "fuzz/seeds/icalendar" ;;
    esac
}
dict_of() {
    case $1 in
    fuzz_task_list) echo fuzz/task_list.dict ;;
    fuzz_profile) echo fuzz/profile.dict ;;
    fuzz_icalendar) echo fuzz/icalendar.dict ;;
    esac
}
seed_pattern() {
    case $1 in
    fuzz_task_list) echo '*.oxml' ;;
    fuzz_profile) echo '*.ini' ;;
    fuzz_icalendar) echo '*.ics' ;;
    esac
}

failed=()
for target in $targets; do
    corpus=$build/corpus/$target
    artifacts=$build/artifacts/$target
    mkdir -p "$corpus" "$artifacts"
    for dir in $(seeds_of "$target"); do
        find "$dir" -maxdepth 1 -type f -name "$(seed_pattern "$target")" -exec cp -n {} "$corpus/" \;
    done
    echo "== $target: $seconds s, corpus $corpus"
    log=$build/$target.log
    status=0
    # Leaks count as failures too (libFuzzer's default). -close_fd_mask=3 silences what the code
    # under test prints (libical warns on stderr); libFuzzer and the sanitizers still report.
    nice -n 10 "$build/fuzz/$target" "$corpus" \
        -dict="$(dict_of "$target")" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/" -print_final_stats=1 -close_fd_mask=3 \
        2> >(tee "$log" >&2) || status=$?
    wait
    if [ "$status" -ne 0 ]; then
        reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
        echo "!! $target failed (exit $status); reproducer: ${reproducer:-see $log}" >&2
        echo "   replay: $build/fuzz/$target ${reproducer:-<file>}" >&2
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (artifacts in $build/artifacts/)" >&2
    exit 1
fi
echo "Fuzzing found nothing: ${targets// /, } ran $seconds s each."
