#!/usr/bin/env bash
# Shares of one batch run by GNU parallel, side by side on this machine
# ("local") or through ssh to an sshd started here on 127.0.0.1 with a
# throw-away key ("ssh"): together they must write exactly the files of one
# run (names, numbers, bytes), each file by one share only.
# Usage: engine_test.sh local|ssh ORVEX SAMPLE.hdr
# Exit 77 (a skip) with the reason when the engine or sshd is not available.
set -euo pipefail

mode=$1
orvex=$(realpath "$2")
sample=$(realpath "$3")
shares=3

skip() {
    echo "SKIP: $*"
    exit 77
}

command -v parallel >/dev/null || skip "GNU parallel is not installed (Debian package parallel)"
work=$(mktemp -d "${TMPDIR:-/tmp}/orvex-engine.XXXXXX")
sshd_pid=""
cleanup() {
    if [[ -n $sshd_pid ]]; then kill "$sshd_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
export PARALLEL_HOME=$work/parallel-home
mkdir -p "$PARALLEL_HOME"

# Ten pictures in a folder and its sub-folder; the mask shows the numbers.
mkdir -p "$work/in/sub" "$work/whole" "$work/shares"
for i in 1 2 3 4 5 6; do cp "$sample" "$work/in/p$i.hdr"; done
for i in 1 2 3 4; do cp "$sample" "$work/in/sub/q$i.hdr"; done
options=(-q -i "$work/in" --filename-mask=%filename%_%n%.%ext% --jobs=1)

"$orvex" "${options[@]}" -o "$work/whole"

run_shares() {
    # $@: what parallel needs to reach where the shares run
    parallel "$@" "$orvex" "${options[@]}" -o "$work/shares" \
        --shard={}/$shares --report="$work/report{}.jsonl" ::: $(seq 1 $shares)
}

if [[ $mode == ssh ]]; then
    sshd=$(command -v sshd || echo /usr/sbin/sshd)
    [[ -x $sshd ]] || skip "sshd is not installed (Debian package openssh-server)"
    ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
    ssh-keygen -q -t ed25519 -N '' -f "$work/user_key"
    cp "$work/user_key.pub" "$work/authorized_keys"
    chmod 600 "$work/authorized_keys"
    # sshd started by root needs its privilege separation folder.
    if [[ $(id -u) == 0 && ! -d /run/sshd ]]; then mkdir -p -m 0755 /run/sshd; fi
    started=""
    for attempt in 1 2 3 4 5 6 7 8; do
        port=$((20000 + RANDOM % 40000))
        cat >"$work/sshd_config" <<CONFIG
Port $port
ListenAddress 127.0.0.1
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
PidFile $work/sshd.pid
StrictModes no
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
CONFIG
        if "$sshd" -f "$work/sshd_config" -E "$work/sshd.log" 2>>"$work/sshd.log"; then
            for _ in $(seq 1 50); do
                [[ -s $work/sshd.pid ]] && break
                sleep 0.1
            done
            sshd_pid=$(cat "$work/sshd.pid" 2>/dev/null || true)
            [[ -n $sshd_pid ]] && started=yes && break
        fi
    done
    [[ -n $started ]] || skip "sshd cannot start here: $(tail -n 3 "$work/sshd.log" | tr '\n' ' ')"
    ssh_command="ssh -p $port -i $work/user_key -o BatchMode=yes -o StrictHostKeyChecking=no \
-o UserKnownHostsFile=/dev/null -o LogLevel=ERROR"
    $ssh_command 127.0.0.1 true ||
        skip "no login through the sshd started here: $(tail -n 3 "$work/sshd.log" | tr '\n' ' ')"
    # The sanitizers' settings of a checked build go along to the shares.
    pass_env=()
    for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS TSAN_OPTIONS G_SLICE; do
        if [[ -n ${!name:-} ]]; then pass_env+=(--env "$name"); fi
    done
    run_shares "${pass_env[@]}" --ssh "$ssh_command" --sshlogin "$shares/127.0.0.1"
else
    run_shares -j "$shares"
fi

# The same names and bytes as one run...
diff -r "$work/whole" "$work/shares"
[[ $(find "$work/whole" -type f | wc -l) == 10 ]]
# ...and every output written by exactly one share.
outputs=$(cat "$work"/report*.jsonl | grep -o '"output":"[^"]*"' | sort)
[[ $(wc -l <<<"$outputs") == 10 ]]
[[ -z $(uniq -d <<<"$outputs") ]]
if [[ $mode == ssh ]]; then
    # The shares did come through the sshd.
    [[ $(grep -c "Accepted publickey" "$work/sshd.log") -ge 2 ]]
fi
echo "PASS: $shares shares ($mode) wrote the files of one run"
