#!/bin/bash
# The README's recipe for spreading takes over several machines, run for real: GNU parallel
# with --sshlogin, --transferfile, --return and --cleanup against an sshd (Debian's
# openssh-server) that the test starts on 127.0.0.1 on a free port, with a host key and a user
# key made here and a scratch folder standing for the remote's working folder (--workdir).
# Every file that comes back equals, byte for byte, the same take converted here. Skipped,
# saying why, only where sshd cannot start; the sshd started here is stopped at the end.
#
#   parallel-ssh.sh SOURCE_DIR PREFIX
set -u
. "$(dirname "$0")/testlib.sh"
source_dir=$(cd "$1" && pwd)
prefix=$(cd "$2" && pwd)
sshd=/usr/sbin/sshd
[[ -x $sshd ]] || skip "no $sshd (Debian package openssh-server)"
for tool in parallel rsync ssh ssh-keygen; do
    command -v "$tool" >/dev/null || { fail "$tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

# The recipe, as the README gives it and as the guide gives it.
recipe=$(sed -n '/^    parallel --sshlogin/,/[^\\]$/p' "$source_dir/README.md" | sed 's/^    //')
[[ -n $recipe ]] || { fail "the README gives no 'parallel --sshlogin' recipe"; exit 1; }
in_guide=$(sed -n '/^<pre>parallel --sshlogin/,/<\/pre>/p' "$source_dir/docs/VessarQuilix.html" |
    sed 's/^<pre>//; s:</pre>.*::; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g')
expect_equal "the guide's recipe is the README's" "$recipe" "$in_guide"

# The remote login: keys, a configuration of its own, a free port on the loopback.
etc=$scratch/etc
mkdir -p "$etc" "$scratch/remote" "$scratch/here/recordings"
ssh-keygen -q -t ed25519 -N '' -f "$etc/host_key" && ssh-keygen -q -t ed25519 -N '' -f "$etc/user_key" ||
    { fail "ssh-keygen"; exit 1; }
cp "$etc/user_key.pub" "$etc/authorized_keys"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
user=$(id -un)
cat >"$etc/sshd_config" <<CONFIG
Port $port
ListenAddress 127.0.0.1
HostKey $etc/host_key
PidFile none
AuthorizedKeysFile $etc/authorized_keys
AllowUsers $user
PermitRootLogin prohibit-password
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
# The remote machine has the converter installed: here, the prefix under test.
SetEnv PATH=$prefix/bin:/usr/local/bin:/usr/bin:/bin
LogLevel INFO
CONFIG
cat >"$etc/ssh_config" <<CONFIG
Host vqremote
    HostName 127.0.0.1
    Port $port
    User $user
    IdentityFile $etc/user_key
    IdentitiesOnly yes
    UserKnownHostsFile $etc/known_hosts
    StrictHostKeyChecking yes
    BatchMode yes
    LogLevel ERROR
    # One login carries the many connections of each job.
    ControlMaster auto
    ControlPath $etc/master-%C
    ControlPersist 60
CONFIG
echo "[127.0.0.1]:$port $(cut -d ' ' -f 1,2 "$etc/host_key.pub")" >"$etc/known_hosts"

# Run as root, sshd wants its privilege-separation folder, which its service makes at boot.
if [[ $(id -u) == 0 && ! -d /run/sshd ]]; then
    mkdir -m 0755 /run/sshd && at_exit "rmdir /run/sshd 2>/dev/null"
fi
"$sshd" -t -f "$etc/sshd_config" 2>"$scratch/sshd.log" || skip "sshd refuses its configuration: $(cat "$scratch/sshd.log")"
"$sshd" -D -f "$etc/sshd_config" -E "$scratch/sshd.log" &
sshd_pid=$!
at_exit "kill $sshd_pid 2>/dev/null; wait $sshd_pid 2>/dev/null"
export PARALLEL_SSH="ssh -F $etc/ssh_config"
at_exit "$PARALLEL_SSH -O exit vqremote 2>/dev/null"
for _ in $(seq 50); do
    $PARALLEL_SSH vqremote true 2>/dev/null && break
    kill -0 "$sshd_pid" 2>/dev/null || skip "sshd cannot start: $(cat "$scratch/sshd.log")"
    sleep 0.1
done
$PARALLEL_SSH vqremote true || skip "sshd does not answer on 127.0.0.1:$port: $(cat "$scratch/sshd.log")"
[[ $($PARALLEL_SSH vqremote 'command -v vessarquilix-convert') == "$prefix/bin/vessarquilix-convert" ]] ||
    fail "the remote login does not find the converter under test"

# Three takes of a second of noise, front and rear files, and the filters beside them.
cd "$scratch/here"
python3 - <<'TAKES'
import array, random, wave
for seed, name in enumerate(("alpha", "bravo", "charlie")):
    rng = random.Random(seed)
    for side in "FR":
        with wave.open(f"recordings/{name}{side}.wav", "wb") as w:
            w.setnchannels(2); w.setsampwidth(2); w.setframerate(48000)
            noise = array.array("h", rng.randbytes(2 * 2 * 48000))
            w.writeframes(array.array("h", (s >> 3 for s in noise)).tobytes())
TAKES
cp -r "$prefix/share/vessarquilix/filters" filters
mkdir expected
for take in recordings/*F.wav; do
    "$prefix/bin/vessarquilix-convert" -q --filters filters -d expected "$take" || fail "converting $take here"
done

# The recipe with this machine's login instead of alpha and beta, and the scratch folder as
# the remote's working folder.
run=${recipe/--sshlogin 2\/alpha,2\/beta,:/--sshlogin 2\/vqremote --workdir $scratch\/remote}
[[ $run != "$recipe" ]] || { fail "the recipe has no --sshlogin 2/alpha,2/beta,: to stand in for"; exit 1; }
echo "$run"
eval "$run" || fail "the recipe failed"
for take in alpha bravo charlie; do
    cmp "recordings/${take}_WXYZ.wav" "expected/${take}_WXYZ.wav" ||
        fail "${take}_WXYZ.wav came back other than it converts here"
done
# --cleanup leaves only the filters, which a next run finds there.
expect_equal "the remote's takes and outputs after --cleanup" "" \
    "$(find "$scratch/remote" -type f -not -path "$scratch/remote/filters/*")"
expect_equal "logins to the remote" "yes" "$(grep -q 'Accepted publickey' "$scratch/sshd.log" && echo yes)"
