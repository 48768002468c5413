#!/usr/bin/env bash
# Asks the kernel whether it runs 32-bit x86 programs, by running one: a
# 96-byte static i386 ELF that only calls exit(42). Some kernels are built or
# booted without 32-bit emulation; 32-bit Wine cannot start on them.
#   kernel-runs-32bit.sh [FOLDER...]
#     exit 0 when it does; exit 1 and one line on standard output saying why
#     not; exit 2 and one line when it cannot tell, as no folder tried lets
#     programs run
# The probe runs from the first folder that lets programs run, of those given
# (a build folder, say), $TMPDIR, /tmp, /dev/shm and the working folder: a
# control program from the same folder tells; /tmp is often mounted noexec.
set -uo pipefail
dir=''
trap '[ -z "$dir" ] || rm -rf "$dir"' EXIT
for place in "$@" "${TMPDIR:-/tmp}" /tmp /dev/shm .; do
  dir=$(mktemp -d "$place/kernel-32bit.XXXXXX" 2>/dev/null) || { dir=''; continue; }
  cp "$(type -P true)" "$dir/control" 2>/dev/null && "$dir/control" 2>/dev/null && break
  rm -rf "$dir"
  dir=''
done
if [ -z "$dir" ]; then
  echo "cannot tell whether this kernel runs 32-bit programs: no folder tried lets programs run ($* ${TMPDIR:-/tmp} /tmp /dev/shm .)"
  exit 2
fi

# ELF header (52 bytes): 32-bit, little-endian, an executable for i386 whose
# entry is 0x08048054, one program header at offset 52.
elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
elf+='\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
elf+='\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
# Program header (32 bytes): the whole 96-byte file loaded read-execute at 0x08048000.
elf+='\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
elf+='\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
# Code: mov eax, 1 (exit); mov ebx, 42; int 0x80.
elf+='\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
printf "$elf" >"$dir/exit42" && chmod +x "$dir/exit42" ||
  { echo "cannot tell whether this kernel runs 32-bit programs: the probe could not be written in $dir"; exit 2; }
answer=$("$dir/exit42" 2>&1)
status=$?
[ "$status" -eq 42 ] && exit 0
answer=${answer##*: }
echo "this kernel does not run 32-bit programs (a 32-bit test program gave exit status $status${answer:+: $answer})"
exit 1
