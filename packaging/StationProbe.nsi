; The StationProbe installer: the panel, spprobe and the demo station into Program Files\StationProbe, the
; station simulator's system library into the system directory (a component), a Start-menu shortcut
; and an uninstaller that removes only what was installed.
; scripts/package builds it: makensis -DVERSION=a.b.c.d -DSTAGE=<staged folder> -DOUTFILE=<exe> -DICON=<ico>
; This file is UTF-8 with a byte-order mark, so that makensis reads the Chinese texts as such.

!ifndef VERSION
  !error "VERSION must be defined (see scripts/package)"
!endif
!ifndef STAGE
  !error "STAGE must be defined (see scripts/package)"
!endif
!ifndef OUTFILE
  !error "OUTFILE must be defined (see scripts/package)"
!endif
!ifndef ICON
  !error "ICON must be defined (see scripts/package)"
!endif

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define REGKEY "Software\StationProbe"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\StationProbe"

Name "StationProbe ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\StationProbe"
InstallDirRegKey HKLM "${REGKEY}" "InstallDir"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\StationProbe.exe"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the one used when the system's is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString NamePanel ${LANG_ENGLISH} "Panel and demo station"
LangString NamePanel ${LANG_SIMPCHINESE} "自检面板和演示检测站"
LangString NameSim ${LANG_ENGLISH} "Station simulator"
LangString NameSim ${LANG_SIMPCHINESE} "检测站模拟器"
LangString DescPanel ${LANG_ENGLISH} "StationProbe.exe, the command-line spprobe.exe, the demo station's configuration and the simulated device library."
LangString DescPanel ${LANG_SIMPCHINESE} "StationProbe.exe、命令行程序 spprobe.exe、演示检测站的配置文件和模拟设备库。"
LangString DescSim ${LANG_ENGLISH} "The simulated system library (SysENV*.dll and SysENV.ini) in the system directory. Leave it out on a real test station."
LangString DescSim ${LANG_SIMPCHINESE} "系统目录中的模拟系统库（SysENV*.dll 和 SysENV.ini）。在真实检测站上不要选择。"
LangString SimPresent ${LANG_ENGLISH} "$SYSDIR already holds a system library (SysENV*.dll or SysENV.ini). It is left as it is and the simulator is not installed."
LangString SimPresent ${LANG_SIMPCHINESE} "$SYSDIR 中已有系统库（SysENV*.dll 或 SysENV.ini），保持原样，不安装模拟器。"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "StationProbe"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "StationProbe ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" ""

Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "!$(NamePanel)" SecPanel
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}/StationProbe.exe"
  File "${STAGE}/spprobe.exe"
  File "${STAGE}/loginset.ini"
  File "${STAGE}/ReadMe-en.txt"
  File "${STAGE}/ReadMe-zh.txt"
  SetOutPath "$INSTDIR\Config"
  File "${STAGE}/Config/calib.ini"
  File "${STAGE}/Config/DevOz.ini"
  File "${STAGE}/Config/sysOz.ini"
  File "${STAGE}/Config/DevID.ini"
  ; The configuration manager deletes sections from these files: let users who run the panel
  ; without elevation write them (a Program Files folder is read-only for them).
  ExecWait '"$SYSDIR\icacls.exe" "$INSTDIR\Config" /grant *S-1-5-32-545:(OI)(CI)M'
  SetOutPath "$INSTDIR\Device"
  File "${STAGE}/Device/Hardware.dll"
  File "${STAGE}/Device/HardwareSim.ini"
  SetOutPath "$INSTDIR\Plans"
  File "${STAGE}/Plans/monthly-check.txt"
  File "${STAGE}/Plans/fails-on-purpose.txt"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${REGKEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "StationProbe"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\StationProbe.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1

  ; The panel reads loginset.ini from its working directory: the shortcut starts it in $INSTDIR
  ; (CreateShortcut takes the output path as the working directory).
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\StationProbe"
  CreateShortcut "$SMPROGRAMS\StationProbe\StationProbe.lnk" "$INSTDIR\StationProbe.exe"
SectionEnd

Section "$(NameSim)" SecSim
  ; Only a simulator installed by us may be replaced: a station's own system library never is.
  ReadRegDWORD $0 HKLM "${REGKEY}" "Simulator"
  ${If} $0 <> 1
    ${If} ${FileExists} "$SYSDIR\SysENV.dll"
    ${OrIf} ${FileExists} "$SYSDIR\SysENV2b.dll"
    ${OrIf} ${FileExists} "$SYSDIR\SysENV4b.dll"
    ${OrIf} ${FileExists} "$SYSDIR\SysENV8b.dll"
    ${OrIf} ${FileExists} "$SYSDIR\SysENV16b.dll"
    ${OrIf} ${FileExists} "$SYSDIR\SysENV.ini"
      DetailPrint "$(SimPresent)"
      MessageBox MB_OK|MB_ICONEXCLAMATION "$(SimPresent)" /SD IDOK
      Return
    ${EndIf}
  ${EndIf}

  ; Marked first, so that the uninstaller also removes what a failed copy left behind.
  WriteRegDWORD HKLM "${REGKEY}" "Simulator" 1
  SetOutPath "$SYSDIR"
  File "${STAGE}/Simulator/SysENV.dll"
  File "${STAGE}/Simulator/SysENV2b.dll"
  File "${STAGE}/Simulator/SysENV4b.dll"
  File "${STAGE}/Simulator/SysENV8b.dll"
  File "${STAGE}/Simulator/SysENV16b.dll"
  ; Full paths: the panel may be started from any folder. Written in the system code page,
  ; as the library reads it.
  FileOpen $1 "$SYSDIR\SysENV.ini" w
  FileWrite $1 "; Written by the StationProbe installer: where the simulated station's files are.$\r$\n"
  FileWrite $1 "[Directories]$\r$\n"
  FileWrite $1 "Config=$INSTDIR\Config$\r$\n"
  FileWrite $1 "DeviceLibrary=$INSTDIR\Device$\r$\n"
  FileClose $1
  SetOutPath "$INSTDIR"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPanel} $(DescPanel)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSim} $(DescSim)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
  ReadRegDWORD $0 HKLM "${REGKEY}" "Simulator"
  ${If} $0 = 1
    Delete "$SYSDIR\SysENV.dll"
    Delete "$SYSDIR\SysENV2b.dll"
    Delete "$SYSDIR\SysENV4b.dll"
    Delete "$SYSDIR\SysENV8b.dll"
    Delete "$SYSDIR\SysENV16b.dll"
    Delete "$SYSDIR\SysENV.ini"
  ${EndIf}

  Delete "$SMPROGRAMS\StationProbe\StationProbe.lnk"
  RMDir "$SMPROGRAMS\StationProbe"

  ; File by file, and folders only when empty: whatever else a user put there stays.
  Delete "$INSTDIR\StationProbe.exe"
  Delete "$INSTDIR\spprobe.exe"
  Delete "$INSTDIR\loginset.ini"
  Delete "$INSTDIR\ReadMe-en.txt"
  Delete "$INSTDIR\ReadMe-zh.txt"
  Delete "$INSTDIR\Config\calib.ini"
  Delete "$INSTDIR\Config\DevOz.ini"
  Delete "$INSTDIR\Config\sysOz.ini"
  Delete "$INSTDIR\Config\DevID.ini"
  RMDir "$INSTDIR\Config"
  Delete "$INSTDIR\Device\Hardware.dll"
  Delete "$INSTDIR\Device\HardwareSim.ini"
  RMDir "$INSTDIR\Device"
  Delete "$INSTDIR\Plans\monthly-check.txt"
  Delete "$INSTDIR\Plans\fails-on-purpose.txt"
  RMDir "$INSTDIR\Plans"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTKEY}"
  DeleteRegValue HKLM "${REGKEY}" "Simulator"
  DeleteRegValue HKLM "${REGKEY}" "InstallDir"
  DeleteRegKey /ifempty HKLM "${REGKEY}"
SectionEnd
