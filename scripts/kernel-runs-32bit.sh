#!/usr/bin/env bash
# Asks the kernel whether it runs 32-bit x86 programs, by running one: a
# 96-byte static i386 ELF that only calls exit(42). Some kernels are built or
# booted without 32-bit emulation; 32-bit Wine cannot start on them.
#   kernel-runs-32bit.sh     exit 0 when it does; otherwise exit 1 and one
#                            line on standard output saying why not
# A control program from the same folder tells a folder where nothing may run
# from a kernel that refuses only the 32-bit program.
set -uo pipefail
dir=$(mktemp -d "${TMPDIR:-/tmp}/kernel-32bit.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT

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
printf "$elf" >"$dir/exit42" && chmod +x "$dir/exit42" || exit 1
cp "$(type -P true)" "$dir/control" || exit 1

if ! "$dir/control" 2>/dev/null; then
  echo "programs cannot be run from $dir"
  exit 1
fi
answer=$("$dir/exit42" 2>&1)
status=$?
[ "$status" -eq 42 ] && exit 0
answer=${answer##*: }
echo "this kernel does not run 32-bit programs (a 32-bit test program gave exit status $status${answer:+: $answer})"
exit 1
