; The ZEM Tools installer: Tessarine, Extorra, Pathwick with its host,
; zemtool and zem.dll into one folder, Pathwick (and ZemSource when built)
; registered, Start-menu shortcuts, an Explorer verb on cue sheets and an
; uninstaller. Built by the CMake target `installer`, which passes:
;   VERSION      the project's version (1.2.3)
;   OUTFILE      the setup program to write
;   TESSARINE, EXTORRA, PATHWICK, PATHWICKHOST, ZEMTOOL, ZEMDLL, README
;                the files to install
;   ZEMSOURCE    the DirectShow source filter, only when it is built
; Runs silently with /S; /D=FOLDER chooses the folder. Installing over an
; earlier installation first runs its uninstaller in place, keeping settings.

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
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

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
  WriteUninstaller "$INSTDIR\uninstall.exe"

  !insertmacro RegisterServer "$INSTDIR\Pathwick.dll"
!ifdef ZEMSOURCE
  !insertmacro RegisterServer "$INSTDIR\ZemSource.ax"
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

  Delete "$INSTDIR\Tessarine.exe"
  Delete "$INSTDIR\Extorra.exe"
  Delete "$INSTDIR\Pathwick.dll"
  Delete "$INSTDIR\PathwickHost.exe"
  Delete "$INSTDIR\zemtool.exe"
  Delete "$INSTDIR\zem.dll"
  Delete "$INSTDIR\ZemSource.ax"
  Delete "$INSTDIR\ReadMe.txt"
  ; The settings the programs wrote beside themselves, unless an update
  ; runs this uninstaller.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEEPSETTINGS" $1
  ${If} ${Errors}
    Delete "$INSTDIR\Tessarine.ini"
    Delete "$INSTDIR\Pathwick.ini"
  ${EndIf}
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
