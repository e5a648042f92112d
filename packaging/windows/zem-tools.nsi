; SPDX-License-Identifier: BSD-3-Clause
; The ZEM Tools installer: Tessarine, Extorra, Pathwick with its host,
; zemtool and zem.dll into one folder, Pathwick (and ZemSource, the shell's
; property handler and the Media Foundation source when built) registered, Start-menu shortcuts, an Explorer verb on cue sheets and an
; uninstaller. Built by the CMake target `installer`, which passes:
;   VERSION      the project's version (1.2.3)
;   OUTFILE      the setup program to write
;   TESSARINE, EXTORRA, PATHWICK, PATHWICKHOST, ZEMTOOL, ZEMDLL, README
;                the files to install
;   ZEMSOURCE    the DirectShow source filter, only when it is built
;   ZEMPROPS     the shell's property handler, only when it is built
;   ZEMMEDIA     the Media Foundation byte-stream handler, only when it is built
; Runs silently with /S; /D=FOLDER chooses the folder. Installing over an
; earlier installation first runs its uninstaller in place, keeping settings.
; A folder that holds files and is no installation of ours is refused (a
; silent run ends with exit code 2), so that no file of the user's is replaced
; and later removed by the uninstaller.

Unicode true
; A 64-bit setup program for 64-bit programs: it sees the 64-bit registry and
; Program Files, and loads Pathwick.dll to register it.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "ZEM Tools"
!define PUBLISHER "ZEM Tools developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEM Tools"
!define CUE_ASSOCIATION "Software\Classes\SystemFileAssociations\.cue"
!define CUE_VERB "${CUE_ASSOCIATION}\shell\ZemTools.MakeLinks"
!define MENU_FOLDER "$SMPROGRAMS\ZEM Tools"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Sets $R0 to 1 when $INSTDIR holds anything and is no installation of ours,
; else to 0. Ours is the folder our uninstall entry names, or one that holds
; our uninstaller beside Tessarine.exe (an installation whose entry is gone).
; The settings files the uninstaller leaves do not count.
Function CheckFolder
  Push $R1
  Push $R2
  StrCpy $R0 0
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R1 != ""
  ${AndIf} $R1 == $INSTDIR
    Goto done
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
  ${AndIf} ${FileExists} "$INSTDIR\Tessarine.exe"
    Goto done
  ${EndIf}
  ClearErrors
  FindFirst $R1 $R2 "$INSTDIR\*"
next:
  IfErrors listed
  StrCmp $R2 "" listed
  StrCmp $R2 "." +5
  StrCmp $R2 ".." +4
  StrCmp $R2 "Tessarine.ini" +3
  StrCmp $R2 "Pathwick.ini" +2
  StrCpy $R0 1
  ClearErrors
  FindNext $R1 $R2
  StrCmp $R0 0 next
listed:
  FindClose $R1
done:
  Pop $R2
  Pop $R1
FunctionEnd

!define FOREIGN_FOLDER_TEXT "$INSTDIR holds other files and is no installation of ${PRODUCT}. Choose an empty or a new folder: files of the same names there would be replaced, and removed again by the uninstaller."

; /D= in a silent run: there is no page to choose again.
Function .onInit
  ${If} ${Silent}
    Call CheckFolder
    ${If} $R0 == 1
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Function DirectoryLeave
  Call CheckFolder
  ${If} $R0 == 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "${FOREIGN_FOLDER_TEXT}"
    Abort
  ${EndIf}
FunctionEnd

; Registers a COM server; a failure stops the installation.
!macro RegisterServer FILE
  ClearErrors
  RegDLL "${FILE}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Could not register ${FILE}." /SD IDOK
    Abort
  ${EndIf}
!macroend

Section "ZEM Tools" SecMain
  SectionIn RO
  SetShellVarContext all

  ; An earlier installation goes first, through its own uninstaller, run in
  ; place and waited for; the settings files beside the programs stay.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    DetailPrint "Removing the earlier installation in $0"
    ; (/KEEPSETTINGS: uninstallers before 1.0.0 removed the settings without it.)
    ExecWait '"$0\uninstall.exe" /S /KEEPSETTINGS _?=$0'
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=Tessarine.exe" "${TESSARINE}"
  File "/oname=Extorra.exe" "${EXTORRA}"
  File "/oname=Pathwick.dll" "${PATHWICK}"
  File "/oname=PathwickHost.exe" "${PATHWICKHOST}"
  File "/oname=zemtool.exe" "${ZEMTOOL}"
  File "/oname=zem.dll" "${ZEMDLL}"
  File "/oname=ReadMe.txt" "${README}"
!ifdef ZEMSOURCE
  File "/oname=ZemSource.ax" "${ZEMSOURCE}"
!endif
!ifdef ZEMPROPS
  File "/oname=ZemProperties.dll" "${ZEMPROPS}"
!endif
!ifdef ZEMMEDIA
  File "/oname=ZemMediaSource.dll" "${ZEMMEDIA}"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  !insertmacro RegisterServer "$INSTDIR\Pathwick.dll"
!ifdef ZEMSOURCE
  !insertmacro RegisterServer "$INSTDIR\ZemSource.ax"
!endif
!ifdef ZEMPROPS
  !insertmacro RegisterServer "$INSTDIR\ZemProperties.dll"
!endif
!ifdef ZEMMEDIA
  !insertmacro RegisterServer "$INSTDIR\ZemMediaSource.dll"
!endif

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Tessarine.lnk" "$INSTDIR\Tessarine.exe" "" "$INSTDIR\Tessarine.exe" 0
  CreateShortcut "${MENU_FOLDER}\Extorra.lnk" "$INSTDIR\Extorra.exe" "" "$INSTDIR\Extorra.exe" 0
  CreateShortcut "${MENU_FOLDER}\Pathwick Explorer.lnk" "$INSTDIR\PathwickHost.exe" "" "$INSTDIR\PathwickHost.exe" 0

  ; "Make ZLK links" on every .cue file, whatever program owns the type.
  WriteRegStr HKLM "${CUE_VERB}" "" "Make ZLK links"
  WriteRegStr HKLM "${CUE_VERB}" "Icon" "$INSTDIR\Tessarine.exe,0"
  WriteRegStr HKLM "${CUE_VERB}\command" "" '"$INSTDIR\Tessarine.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tessarine.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Deletes a key when nothing is left in it (it may have been there before).
!macro RemoveIfEmpty KEY
  DeleteRegKey /ifempty HKLM "${KEY}"
!macroend

Section "Uninstall"
  SetShellVarContext all

  UnRegDLL "$INSTDIR\Pathwick.dll"
  ${If} ${FileExists} "$INSTDIR\ZemSource.ax"
    UnRegDLL "$INSTDIR\ZemSource.ax"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\ZemProperties.dll"
    UnRegDLL "$INSTDIR\ZemProperties.dll"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\ZemMediaSource.dll"
    UnRegDLL "$INSTDIR\ZemMediaSource.dll"
  ${EndIf}

  Delete "$INSTDIR\Tessarine.exe"
  Delete "$INSTDIR\Extorra.exe"
  Delete "$INSTDIR\Pathwick.dll"
  Delete "$INSTDIR\PathwickHost.exe"
  Delete "$INSTDIR\zemtool.exe"
  Delete "$INSTDIR\zem.dll"
  Delete "$INSTDIR\ZemSource.ax"
  Delete "$INSTDIR\ZemProperties.dll"
  Delete "$INSTDIR\ZemMediaSource.dll"
  Delete "$INSTDIR\ReadMe.txt"
  ; Only what the installer wrote goes: the settings the programs keep beside
  ; themselves (Tessarine.ini, Pathwick.ini) and any file of the user's stay,
  ; and so does the folder while it holds them.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\Tessarine.lnk"
  Delete "${MENU_FOLDER}\Extorra.lnk"
  Delete "${MENU_FOLDER}\Pathwick Explorer.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKLM "${CUE_VERB}"
  !insertmacro RemoveIfEmpty "${CUE_ASSOCIATION}\shell"
  !insertmacro RemoveIfEmpty "${CUE_ASSOCIATION}"
  !insertmacro RemoveIfEmpty "Software\Classes\SystemFileAssociations"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
