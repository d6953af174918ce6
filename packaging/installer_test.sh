#!/usr/bin/env bash
# The installer's round trip in a fresh Wine prefix of its own: silent install, the class,
# ProgID, interface and type library entries of each architecture the system runs (on
# 64-bit Windows both, in the 64-bit and the 32-bit registry views), the example script
# client run by the cscript of each, silent uninstall, and nothing of it left in the
# registry or on disk.
#
#   installer_test.sh WINE_RUN WINE win64|win32 PREFIX SETUP_EXE SCRIPT CLSID={..} LIBID={..} IID={..}
set -u
run_sh="$1" wine="$2" arch="$3" prefix="$4" setup="$5" script="$6"
shift 6
for pair in "$@"; do declare "${pair%%=*}=${pair#*=}"; done

fail() { echo "FAIL $*"; exit 1; }
step() { echo "installer: $*"; }
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
launch=("$run_sh" --wine "$wine" --prefix "$prefix" --arch "$arch" --timeout 180)

rm -rf "$prefix" "$prefix.state"
step "fresh prefix $prefix"
"${launch[@]}" --session start || fail "no Wine session in $prefix"
# A prefix takes a gigabyte or so: it stays only when the test failed, for a look inside.
passed=""
trap '"${launch[@]}" --session stop; [ -z "$passed" ] || rm -rf "$prefix" "$prefix.state"' EXIT

# reg.exe answers 0 when the key (and the value, if named) exists.
has_key() { "${launch[@]}" reg query "$1" "${@:2}" >/dev/null 2>&1; }
value_of() { "${launch[@]}" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }

# The x86 control goes where 32-bit programs go; on 32-bit Windows that is the one
# Program Files and the one registry view, and there is no x64 control.
classes64='HKLM\Software\Classes'
if [ "$arch" = win64 ]; then
  classes32='HKLM\Software\Classes\Wow6432Node'
  uninstall_key='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\ZorTabList'
  dir64="$prefix/drive_c/Program Files/ZorTabList"
  programs32='C:\Program Files (x86)'
  views=("$classes64" "$classes32")
  kinds=(win64 win32)
  cscripts=('C:\windows\system32\cscript.exe' 'C:\windows\syswow64\cscript.exe')
else
  classes32="$classes64"
  uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZorTabList'
  dir64=""
  programs32='C:\Program Files'
  views=("$classes32")
  kinds=(win32)
  cscripts=('C:\windows\system32\cscript.exe')
fi
dir32="$prefix/drive_c/${programs32#C:\\}/ZorTabList"

step "silent install"
"${launch[@]}" "$(winpath "$setup")" /S || fail "the installer exited with $?"
[ -z "$dir64" ] || [ -f "$dir64/ZorTabList.dll" ] || fail "no x64 DLL in Program Files"
[ -f "$dir32/ZorTabList.dll" ] || fail "no x86 DLL in $programs32"
[ -f "$dir32/uninstall.exe" ] || fail "no uninstaller"
[ "$arch" = win64 ] || [ ! -e "$prefix/drive_c/Program Files (x86)" ] || fail "Program Files (x86) on 32-bit Windows"
checks=4

step "registry entries"
if [ "$arch" = win64 ]; then
  server64=$(value_of "$classes64\\CLSID\\$CLSID\\InprocServer32")
  [ "$server64" = 'C:\Program Files\ZorTabList\ZorTabList.dll' ] || fail "64-bit InprocServer32 is [$server64]"
  checks=$((checks + 1))
fi
server32=$(value_of "$classes32\\CLSID\\$CLSID\\InprocServer32")
[ "$server32" = "$programs32\\ZorTabList\\ZorTabList.dll" ] || fail "32-bit InprocServer32 is [$server32]"
checks=$((checks + 1))
# Class and interface keys have a view per architecture; ProgIDs and type libraries one
# shared key.
for view in "${views[@]}"; do
  has_key "$view\\Interface\\$IID\\TypeLib" || fail "no interface entry in $view"
  checks=$((checks + 1))
done
has_key "$classes64\\ZorTabList.ZorTabbedList\\CLSID" || fail "no ProgID"
checks=$((checks + 1))
for kind in "${kinds[@]}"; do
  has_key "$classes64\\TypeLib\\$LIBID\\1.0\\0\\$kind" || fail "no $kind type library entry"
  checks=$((checks + 1))
done
has_key "$uninstall_key" /v UninstallString || fail "no uninstall entry"
checks=$((checks + 1))

step "the example script client with each cscript"
for cscript in "${cscripts[@]}"; do
  out=$("${launch[@]}" "$cscript" //nologo "$(winpath "$script")" | tr -d '\r')
  echo "$out" | sed 's/^/  /'
  echo "$out" | grep -q '^all [0-9]* checks passed$' || fail "$cscript did not pass the example"
  checks=$((checks + 1))
done

step "silent uninstall"
"${launch[@]}" "$programs32\\ZorTabList\\uninstall.exe" /S || fail "the uninstaller exited with $?"
# The uninstaller hands over to a copy of itself in the temporary folder and returns.
for _ in $(seq 120); do
  [ -e "$dir32" ] || break
  sleep 0.5
done
[ -e "$dir32" ] && fail "$dir32 is still there: $(ls "$dir32")"
[ -n "$dir64" ] && [ -e "$dir64" ] && fail "$dir64 is still there: $(ls "$dir64")"
checks=$((checks + 2))
for view in "${views[@]}"; do
  for key in "CLSID\\$CLSID" "ZorTabList.ZorTabbedList" "ZorTabList.ZorTabbedList.1" \
             "Interface\\$IID" "TypeLib\\$LIBID"; do
    has_key "$view\\$key" && fail "$view\\$key is left"
    checks=$((checks + 1))
  done
done
has_key "$uninstall_key" && fail "the uninstall entry is left"
checks=$((checks + 1))
passed=1
echo "installer round trip passed ($checks checks)"
