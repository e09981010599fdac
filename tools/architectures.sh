# Sourced by the tools: the two Windows architectures this tree builds, and how this machine
# can run each. i686 is what ships; x86_64 is the test vehicle of machines that run 64-bit code
# only. The build of ARCH lives in $TARN_BUILD_DIR/ARCH (default build/ARCH).

tarn_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tarn_build_root=${TARN_BUILD_DIR:-$tarn_root/build}

tarn_build_dir() { echo "$tarn_build_root/$1"; }

tarn_toolchain() { echo "$tarn_root/cmake/toolchain-$1-mingw.cmake"; }

tarn_known_arch() { [ "$1" = i686 ] || [ "$1" = x86_64 ]; }

# Fails, with one line saying what is wrong, unless the names after $1 are one or more known
# architectures; $1 says where they came from (the arguments, TARN_ARCHS=...). A run that
# names none would otherwise build and test nothing and still report "0 failed".
tarn_check_archs() {
  local from=$1 arch
  shift
  if [ $# -eq 0 ]; then
    echo "${0##*/}: $from names no architecture: use i686, x86_64 or both" >&2
    return 1
  fi
  for arch; do
    if ! tarn_known_arch "$arch"; then
      echo "${0##*/}: unknown architecture '$arch' in $from: use i686, x86_64 or both" >&2
      return 1
    fi
  done
}

# Prints whether this machine's kernel runs 32-bit x86 programs (yes or no), found by running
# one: a 93-byte static ELF that only calls exit(0). Kernel versions and configuration say too
# little (an IA-32 emulation switched off at boot looks like any other). The probe runs from
# the build folder, where the build's own programs run: a temporary folder may be mounted
# noexec. Only the kernel's "Exec format error" means no; a probe that cannot be written or
# executed at all (permission denied, a noexec mount) says nothing about the kernel, so that
# fails with one line on stderr. TARN_RUNS_32BIT=no answers no without probing, to try the
# emulated path on a machine that could run it natively.
tarn_runs_32bit() {
  if [ "${TARN_RUNS_32BIT:-}" = no ]; then
    echo no
    return 0
  fi
  local made="" probe said status=0
  [ -d "$tarn_build_root" ] || made=yes
  if ! mkdir -p "$tarn_build_root" 2>/dev/null ||
     ! probe=$(mktemp "$tarn_build_root/.probe-32bit.XXXXXX" 2>/dev/null); then
    echo "${0##*/}: cannot write the 32-bit probe into the build folder $tarn_build_root" >&2
    return 1
  fi
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  # The shell's message for a failed exec, in English whatever the locale.
  said=$(export LC_ALL=C; "$probe" 2>&1) || status=$?
  rm -f "$probe"
  # A folder made only for the probe goes again: bootstrap may run as root.
  [ -z "$made" ] || rmdir "$tarn_build_root" 2>/dev/null || true
  if [ "$status" -eq 0 ]; then
    echo yes
  elif [[ $said == *"Exec format error"* ]]; then
    echo no
  else
    echo "${0##*/}: could not execute the 32-bit probe in $tarn_build_root (${said##*: }${said:+, }exit status $status): whether this machine runs 32-bit code is unknown; the build folder must allow running programs (no noexec mount), or TARN_RUNS_32BIT=no takes the emulated path" >&2
    return 1
  fi
}

# How this machine runs the programs of ARCH: native or emulated. Fails as tarn_runs_32bit does.
tarn_how_runs() {
  local runs
  if [ "$1" = x86_64 ]; then
    echo native
    return 0
  fi
  runs=$(tarn_runs_32bit) || return 1
  if [ "$runs" = yes ]; then echo native; else echo emulated; fi
}
