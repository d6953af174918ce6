#!/usr/bin/env bash
# The installer's round trip in a fresh 64-bit Wine prefix of its own: silent install, the
# class, ProgID, interface and type library entries of both architectures (64-bit and
# 32-bit registry views), the example script client run by the 64-bit and by the 32-bit
# cscript, silent uninstall, and nothing of it left in the registry or on disk.
#
#   installer_test.sh WINE_RUN WINE PREFIX SETUP_EXE SCRIPT CLSID={..} LIBID={..} IID={..}
set -u
run_sh="$1" wine="$2" prefix="$3" setup="$4" script="$5"
shift 5
for pair in "$@"; do declare "${pair%%=*}=${pair#*=}"; done

fail() { echo "FAIL $*"; exit 1; }
step() { echo "installer: $*"; }
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
launch=("$run_sh" --wine "$wine" --prefix "$prefix" --arch win64 --timeout 180)

rm -rf "$prefix" "$prefix.state"
step "fresh prefix $prefix"
"${launch[@]}" --session start || fail "no Wine session in $prefix"
trap '"${launch[@]}" --session stop' EXIT

# reg.exe answers 0 when the key (and the value, if named) exists.
has_key() { "${launch[@]}" reg query "$1" "${@:2}" >/dev/null 2>&1; }
value_of() { "${launch[@]}" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }

classes64='HKLM\Software\Classes'
classes32='HKLM\Software\Classes\Wow6432Node'
uninstall_key='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\ZorTabList'
dir64="$prefix/drive_c/Program Files/ZorTabList"
dir32="$prefix/drive_c/Program Files (x86)/ZorTabList"

step "silent install"
"${launch[@]}" "$(winpath "$setup")" /S || fail "the installer exited with $?"
[ -f "$dir64/ZorTabList.dll" ] || fail "no x64 DLL in Program Files"
[ -f "$dir32/ZorTabList.dll" ] || fail "no x86 DLL in Program Files (x86)"
[ -f "$dir32/uninstall.exe" ] || fail "no uninstaller"
checks=3

step "registry entries"
server64=$(value_of "$classes64\\CLSID\\$CLSID\\InprocServer32")
server32=$(value_of "$classes32\\CLSID\\$CLSID\\InprocServer32")
[ "$server64" = 'C:\Program Files\ZorTabList\ZorTabList.dll' ] || fail "64-bit InprocServer32 is [$server64]"
[ "$server32" = 'C:\Program Files (x86)\ZorTabList\ZorTabList.dll' ] || fail "32-bit InprocServer32 is [$server32]"
checks=$((checks + 2))
# Class and interface keys have a view per architecture; ProgIDs and type libraries one
# shared key.
for view in "$classes64" "$classes32"; do
  has_key "$view\\Interface\\$IID\\TypeLib" || fail "no interface entry in $view"
  checks=$((checks + 1))
done
has_key "$classes64\\ZorTabList.ZorTabbedList\\CLSID" || fail "no ProgID"
checks=$((checks + 1))
for kind in win64 win32; do
  has_key "$classes64\\TypeLib\\$LIBID\\1.0\\0\\$kind" || fail "no $kind type library entry"
  checks=$((checks + 1))
done
has_key "$uninstall_key" /v UninstallString || fail "no uninstall entry"
checks=$((checks + 1))

step "the example script client, 64-bit and 32-bit"
for cscript in 'C:\windows\system32\cscript.exe' 'C:\windows\syswow64\cscript.exe'; do
  out=$("${launch[@]}" "$cscript" //nologo "$(winpath "$script")" | tr -d '\r')
  echo "$out" | sed 's/^/  /'
  echo "$out" | grep -q '^all [0-9]* checks passed$' || fail "$cscript did not pass the example"
  checks=$((checks + 1))
done

step "silent uninstall"
"${launch[@]}" 'C:\Program Files (x86)\ZorTabList\uninstall.exe' /S || fail "the uninstaller exited with $?"
# The uninstaller hands over to a copy of itself in the temporary folder and returns.
for _ in $(seq 120); do
  [ -e "$dir32" ] || break
  sleep 0.5
done
[ -e "$dir32" ] && fail "Program Files (x86)/ZorTabList is still there: $(ls "$dir32")"
[ -e "$dir64" ] && fail "Program Files/ZorTabList is still there: $(ls "$dir64")"
checks=$((checks + 2))
for view in "$classes64" "$classes32"; do
  for key in "CLSID\\$CLSID" "ZorTabList.ZorTabbedList" "ZorTabList.ZorTabbedList.1" \
             "Interface\\$IID" "TypeLib\\$LIBID"; do
    has_key "$view\\$key" && fail "$view\\$key is left"
    checks=$((checks + 1))
  done
done
has_key "$uninstall_key" && fail "the uninstall entry is left"
checks=$((checks + 1))
echo "installer round trip passed ($checks checks)"
