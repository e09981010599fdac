# Sourced by the tools: the two Windows architectures this tree builds, and how this machine
# can run each. i686 is what ships; x86_64 is the test vehicle of machines that run 64-bit code
# only. The build of ARCH lives in $TARN_BUILD_DIR/ARCH (default build/ARCH).

tarn_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tarn_build_root=${TARN_BUILD_DIR:-$tarn_root/build}

tarn_build_dir() { echo "$tarn_build_root/$1"; }

tarn_toolchain() { echo "$tarn_root/cmake/toolchain-$1-mingw.cmake"; }

tarn_known_arch() { [ "$1" = i686 ] || [ "$1" = x86_64 ]; }

# Whether this machine's kernel runs 32-bit x86 programs, found by running one: a 93-byte
# static ELF that only calls exit(0). Kernel versions and configuration say too little (an
# IA-32 emulation switched off at boot looks like any other). TARN_RUNS_32BIT=no pretends it
# does not, to try the emulated path on a machine that could run it natively.
tarn_runs_32bit() {
  [ "${TARN_RUNS_32BIT:-}" = no ] && return 1
  local probe
  probe=$(mktemp)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return $status
}

# How this machine runs the programs of ARCH: native or emulated.
tarn_how_runs() {
  if [ "$1" = x86_64 ] || tarn_runs_32bit; then echo native; else echo emulated; fi
}
