; The ZorTabbedList installer: the x86 control always, the x64 control as well on 64-bit
; Windows, each in its own Program Files and registered with the regsvr32 of its own
; architecture; the uninstaller unregisters and removes both. Made by cmake/make-dist.cmake:
;   makensis -DVERSION=1.0 -DVERSION4=1.0.0.0 -DSTAGE=<zip folder> -DOUTFILE=<exe> ZorTabList.nsi
Unicode true
!include LogicLib.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZorTabList"
!define X64_DIR "$PROGRAMFILES64\ZorTabList"

Name "ZorTabbedList ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\ZorTabList"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
VIProductVersion "${VERSION4}"
VIAddVersionKey "ProductName" "ZorTabbedList"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "ZorTabbedList ${VERSION} installer"
VIAddVersionKey "LegalCopyright" "The ZorTabbedList developers, MIT licence"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Runs regsvr32 /s on $R1 with the extra switch $R2 ("" or "/u"); $R0 is regsvr32's path.
; Leaves its exit code in $R3.
!macro RegSvr32 exe dll switch
  StrCpy $R0 "${exe}"
  StrCpy $R1 "${dll}"
  StrCpy $R2 "${switch}"
  ClearErrors
  ExecWait '"$R0" /s $R2 "$R1"' $R3
  ${If} ${Errors}
    StrCpy $R3 "not started"
  ${EndIf}
!macroend

Section "ZorTabbedList"
  SetOutPath "$INSTDIR"
  File "/oname=ZorTabList.dll" "${STAGE}/x86/ZorTabList.dll"
  File "/oname=ZorTabList.tlb" "${STAGE}/x86/ZorTabList.tlb"
  File "${STAGE}/LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ZorTabbedList ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The ZorTabbedList developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The installer is a 32-bit program: its $SYSDIR is the 32-bit system folder.
  !insertmacro RegSvr32 "$SYSDIR\regsvr32.exe" "$INSTDIR\ZorTabList.dll" ""
  ${If} $R3 != 0
    SetErrorLevel 3
    Abort "Registering the x86 control failed ($R3)."
  ${EndIf}

  ${If} ${RunningX64}
    ; The 64-bit regsvr32 is System32's only while the file system is not redirected.
    ${DisableX64FSRedirection}
    SetOutPath "${X64_DIR}"
    File "/oname=ZorTabList.dll" "${STAGE}/x64/ZorTabList.dll"
    File "/oname=ZorTabList.tlb" "${STAGE}/x64/ZorTabList.tlb"
    !insertmacro RegSvr32 "$WINDIR\System32\regsvr32.exe" "${X64_DIR}\ZorTabList.dll" ""
    ${EnableX64FSRedirection}
    ${If} $R3 != 0
      SetErrorLevel 4
      Abort "Registering the x64 control failed ($R3)."
    ${EndIf}
  ${EndIf}
SectionEnd

Section "Uninstall"
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    !insertmacro RegSvr32 "$WINDIR\System32\regsvr32.exe" "${X64_DIR}\ZorTabList.dll" "/u"
    Delete "${X64_DIR}\ZorTabList.dll"
    Delete "${X64_DIR}\ZorTabList.tlb"
    RMDir "${X64_DIR}"
    ${EnableX64FSRedirection}
  ${EndIf}
  !insertmacro RegSvr32 "$SYSDIR\regsvr32.exe" "$INSTDIR\ZorTabList.dll" "/u"
  Delete "$INSTDIR\ZorTabList.dll"
  Delete "$INSTDIR\ZorTabList.tlb"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
