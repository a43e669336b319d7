#!/usr/bin/env bash
# Host test: Ardour 7, headless, loads VEXO from a copy of the plug-in folder (the VST) and
# from a copy of the LV2 bundle, one session for each. In each it plays a pattern key held
# for two bars, saves the session, reopens and re-saves it, and exports it before and
# after. The checker then compares the plug-in state saved both times (byte for byte), and
# checks the audio: length, level, note timing at the session tempo and the pitch of every
# step, that both exports are identical, and that both formats render the same.
#
# run_ardour_test.sh --plugin-dir DIR --lv2-bundle DIR --vexo VEXO_TOOL --checker ARDOUR_CHECK
#                    [--skip-reason TEXT]
#
# Exit status 0 passed, 1 failed, 77 skipped: Ardour (ardour7-lua, ardour7-export and
# ardour-vst-scanner) is not installed, VEXO_SKIP_ARDOUR is set, or a skip reason was given.
# Environment: VEXO_ARDOUR_LUA, VEXO_ARDOUR_EXPORT, VEXO_ARDOUR_SCANNER name other Ardour
# programs; VEXO_ARDOUR_KEEP=1 keeps the work folder.
#
# Ardour runs with a private HOME, XDG folders, VST and LV2 paths inside a temporary work
# folder, so the user's Ardour configuration, plug-in cache and plug-ins are never read or
# written.
set -euo pipefail

readonly kSkipStatus=77
readonly kAttempts=3  # Ardour 7.3 now and then crashes or hangs on its own: two retries
# Time limits in seconds; a normal run takes a few seconds for each.
readonly kScanLimit=60
readonly kSessionLimit=90
readonly kExportLimit=45

# The session: 48 kHz, 131 BPM, pattern key 9 held from the start of bar 2 for two bars,
# one more bar of silence. Cutoff is moved away from its default so that the saved state
# carries a parameter the host set.
# The tempo is not the plug-in's internal 120, and no step of the held key starts on a
# whole sample (at 130 BPM every 13th step does, 72000 samples after the key): the tempo
# reaches the VST (time info) and the LV2 plug-in (time:Position) with a rounding difference
# of a few parts in 10^9, which at such a step decides which sample the step starts on. So
# the VST and LV2 renders can be compared sample for sample.
readonly kRateHz=48000
readonly kTempoBpm=131
readonly kKey=9
readonly kNoteBeat=4
readonly kHoldBeats=8
readonly kRegionBeats=16
readonly kCutoff=0.625
# The test pattern put into slot kKey: MIDI notes, "-" for a rest.
readonly kSteps=(36 43 36 - 39 36 48 - 36 43 41 - 36 46 36 -)

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
plugin_dir="" lv2_bundle="" vexo_tool="" checker="" skip_reason=""
while [[ $# -gt 0 ]]; do
    case "$1" in
        --plugin-dir) plugin_dir="$2"; shift 2 ;;
        --lv2-bundle) lv2_bundle="$2"; shift 2 ;;
        --vexo) vexo_tool="$2"; shift 2 ;;
        --checker) checker="$2"; shift 2 ;;
        --skip-reason) skip_reason="$2"; shift 2 ;;
        *) echo "usage: $0 --plugin-dir DIR --lv2-bundle DIR --vexo VEXO_TOOL --checker ARDOUR_CHECK" \
                "[--skip-reason TEXT]" >&2; exit 2 ;;
    esac
done

skip() {
    echo "SKIPPED: $*"
    exit "$kSkipStatus"
}

[[ -z "$skip_reason" ]] || skip "$skip_reason"
[[ -z "${VEXO_SKIP_ARDOUR:-}" ]] || skip "VEXO_SKIP_ARDOUR is set"
lua_tool="$(command -v "${VEXO_ARDOUR_LUA:-ardour7-lua}")" || skip "ardour7-lua not found (Debian package ardour)"
export_tool="$(command -v "${VEXO_ARDOUR_EXPORT:-ardour7-export}")" || skip "ardour7-export not found (Debian package ardour)"
scanner="${VEXO_ARDOUR_SCANNER:-/usr/lib/ardour7/ardour-vst-scanner}"
[[ -x "$scanner" ]] || skip "$scanner not found (Debian package ardour)"

for f in "$plugin_dir/VEXO.so" "$lv2_bundle/VEXO_lv2.so" "$vexo_tool" "$checker"; do
    [[ -e "$f" ]] || { echo "FAIL: $f is missing; build first (cmake --build)"; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/vexo-ardour.XXXXXX")"
cleanup() {
    if [[ "${VEXO_ARDOUR_KEEP:-0}" == 1 ]]; then
        echo "work folder kept: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" XDG_DATA_HOME="$HOME/.local/share"
export XDG_STATE_HOME="$HOME/.local/state"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME"
export LXVST_PATH="$work/lxvst"
# Ardour finds LV2 plug-ins through lilv, which searches only LV2_PATH when it is set.
export LV2_PATH="$work/lv2"
unset VST_PATH VST3_PATH

retries=0

# run_ardour LABEL LOG LIMIT_S FRESH_PATH COMMAND...: runs an Ardour program with a time
# limit and output to LOG. A crash (killed by a signal) or a hang (time limit) is retried
# up to kAttempts in all, after removing FRESH_PATH (what a partial run may have left).
run_ardour() {
    local label="$1" log="$2" limit="$3" fresh="$4"
    shift 4
    local attempt status
    for ((attempt = 1; attempt <= kAttempts; attempt++)); do
        rm -rf "$fresh"
        status=0
        timeout -k 10 "$limit" "$@" >"$log" 2>&1 </dev/null || status=$?
        if [[ $status -eq 0 ]]; then
            return 0
        fi
        local what="exited with status $status"
        [[ $status -eq 124 || $status -eq 137 ]] && what="hung (killed after ${limit} s)"
        [[ $status -gt 128 && $status -ne 137 ]] && what="crashed (signal $((status - 128)))"
        if [[ $status -gt 128 || $status -eq 124 ]] && [[ $attempt -lt $kAttempts ]]; then
            echo "RETRY: $label $what on attempt $attempt of $kAttempts; last lines of its output:"
            tail -n 5 "$log" | sed 's/^/    /'
            retries=$((retries + 1))
            continue
        fi
        echo "FAIL: $label $what; last lines of its output ($log):"
        tail -n 30 "$log" | sed 's/^/    /'
        return 1
    done
}

# Runs a Lua session script and insists on its closing marker.
run_lua() {
    local label="$1" log="$2" fresh="$3"
    shift 3
    run_ardour "$label" "$log" "$kSessionLimit" "$fresh" "$lua_tool" "$@" || return 1
    if ! grep -q '^VEXO-LUA-OK' "$log"; then
        echo "FAIL: $label did not finish; last lines of its output:"
        tail -n 30 "$log" | sed 's/^/    /'
        return 1
    fi
}

# The test pattern put into the installed banks, in the pattern file format.
pattern_file="$work/test.pat"
{
    echo "; VEXO Meta tag: ${#kSteps[@]}"
    names=(c- c# d- d# e- f- f# g- g# a- a# b-)
    for note in "${kSteps[@]}"; do
        if [[ "$note" == "-" ]]; then
            echo "c-3 0 0 0"
        else
            semitones=$((note - 36))
            echo "${names[semitones % 12]}$((3 + semitones / 12)) 1 0 0"
        fi
    done
} >"$pattern_file"

# install_copy SHIPPED INSTALLED: copies a plug-in folder or bundle as a user would install
# it, with the test pattern in its bank. The installed configuration has the internal clock;
# the session's state turns host sync on.
install_copy() {
    local shipped="$1" installed="$2"
    mkdir -p "$(dirname "$installed")"
    cp -R "$shipped" "$installed"
    rm -f "$installed/User.ini"
    if ! "$vexo_tool" pattern insert "$pattern_file" "$installed/DefaultPatternBank.pat" "$kKey" \
        >"$work/insert.log" 2>&1; then
        echo "FAIL: cannot put the test pattern into the bank of $installed:"
        sed 's/^/    /' "$work/insert.log"
        return 1
    fi
    echo "SyncMode = 1" >"$installed/User.ini"
}

# play FORMAT NAME SHIPPED INSTALLED: creates the session work/NAME-session with VEXO in
# FORMAT (LXVST or LV2), keeps a copy of it as saved (work/NAME-saved), exports it to
# work/NAME-saved.wav, re-saves it as snapshot "resaved" and exports that to
# work/NAME-resaved.wav. Sets session_frames to the session's length in samples.
play() {
    local format="$1" name="$2" shipped="$3" installed="$4"
    local session="$work/$name-session"
    echo "== $name: creating the session ($kTempoBpm BPM, key $kKey held for $kHoldBeats beats)"
    run_lua "ardour7-lua create_session.lua ($name)" "$work/$name-create.log" "$session" \
        "$here/create_session.lua" "$session" vexo \
        "$kRateHz" "$kTempoBpm" "$kKey" "$kNoteBeat" "$kHoldBeats" "$kRegionBeats" "$kCutoff" "$format" || return 1
    local range
    range="$(sed -n 's/^VEXO-SESSION-RANGE \([0-9]*\) \([0-9]*\)$/\1 \2/p' "$work/$name-create.log")"
    if [[ -z "$range" ]]; then
        echo "FAIL: create_session.lua ($name) reported no session range"
        return 1
    fi
    session_frames=$((${range#* } - ${range% *}))
    # The whole folder: an LV2 plug-in's state lives beside the session file.
    cp -R "$session" "$work/$name-saved"

    # From here on the installed copy holds the shipped bank and configuration again: what
    # plays is what the session's saved state brings back.
    cp "$shipped/DefaultPatternBank.pat" "$installed/DefaultPatternBank.pat"
    rm -f "$installed/User.ini"

    echo "== $name: exporting the saved session"
    run_ardour "ardour7-export ($name, saved)" "$work/$name-export1.log" "$kExportLimit" "$work/$name-saved.wav" \
        "$export_tool" -b float -o "$work/$name-saved.wav" "$session" vexo || return 1

    echo "== $name: reopening and re-saving the session"
    run_lua "ardour7-lua resave_session.lua ($name)" "$work/$name-resave.log" "$session/resaved.ardour" \
        "$here/resave_session.lua" "$session" vexo resaved || return 1

    echo "== $name: exporting the re-saved session"
    run_ardour "ardour7-export ($name, re-saved)" "$work/$name-export2.log" "$kExportLimit" \
        "$work/$name-resaved.wav" "$export_tool" -b float -o "$work/$name-resaved.wav" "$session" resaved
}

# --- The VST: Ardour indexes it with its scanner before a session can use it.
folder="$LXVST_PATH/VEXO"
install_copy "$plugin_dir" "$folder"
# Ardour ignores a plug-in whose file is not older than its scan cache entry.
touch -d "@$(($(date +%s) - 60))" "$folder/VEXO.so"
echo "== scanning $folder/VEXO.so"
run_ardour "ardour-vst-scanner" "$work/scan.log" "$kScanLimit" "$XDG_CACHE_HOME/ardour7/vst" \
    env LD_LIBRARY_PATH="$(dirname "$scanner")${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" "$scanner" -f "$folder/VEXO.so"
if ! grep -l -s 'is_instrument="1"' "$XDG_CACHE_HOME"/ardour7/vst/*.v2i | grep -q .; then
    echo "FAIL: the scanner did not index VEXO as an instrument:"
    sed 's/^/    /' "$work/scan.log"
    exit 1
fi
play LXVST vst "$plugin_dir" "$folder"
frames=$session_frames

# --- The LV2 plug-in: Ardour reads the bundle's description when it starts.
bundle="$LV2_PATH/VEXO.lv2"
install_copy "$lv2_bundle" "$bundle"
play LV2 lv2 "$lv2_bundle" "$bundle"
if [[ $session_frames -ne $frames ]]; then
    echo "FAIL: the LV2 session is $session_frames samples long, the VST session $frames"
    exit 1
fi

echo "== checking"
steps_csv="$(IFS=,; echo "${kSteps[*]}")"
status=0
"$checker" --saved "$work/vst-saved/vexo.ardour" --resaved "$work/vst-session/resaved.ardour" \
    --audio "$work/vst-saved.wav" --audio-reloaded "$work/vst-resaved.wav" \
    --lv2-saved "$work/lv2-saved/vexo.ardour" --lv2-resaved "$work/lv2-session/resaved.ardour" \
    --lv2-audio "$work/lv2-saved.wav" --lv2-audio-reloaded "$work/lv2-resaved.wav" \
    --frames "$frames" --rate "$kRateHz" --tempo "$kTempoBpm" --note-beat "$kNoteBeat" --hold-beats "$kHoldBeats" \
    --slot "$kKey" --steps "$steps_csv" --cutoff "$kCutoff" || status=$?
echo "Ardour retries: $retries"
exit "$status"
