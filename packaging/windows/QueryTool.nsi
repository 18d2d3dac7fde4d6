; QueryTool's installer: the Windows package under Program Files for every
; user, a Start-menu entry and an uninstaller; /S installs without a question.
; scripts/package-windows passes VERSION, PACKAGE (the folder to install),
; UNINSTALL_LIST (a Delete line per file of it) and OUTFILE.

; The default 32-bit installer would need a 32-bit Windows layer to run.
Target amd64-unicode
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QueryTool"

Name "QueryTool ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\QueryTool"
RequestExecutionLevel admin

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "QueryTool"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${PACKAGE}/*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    ; The shortcut starts in the program's folder, which a user cannot write
    ; in: the program then keeps config.ini in the user's own data folder.
    CreateShortCut "$SMPROGRAMS\QueryTool.lnk" "$INSTDIR\QueryTool.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "QueryTool"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\QueryTool.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there goes: a folder chosen by the user may
; hold other files. Each user's config.ini stays.
Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\QueryTool.lnk"
    !include "${UNINSTALL_LIST}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
