@echo off
rem Installs the station simulator's system library for the panel in the folder above this one:
rem the SysENV*.dll files into the system directory and a SysENV.ini there naming this copy's
rem Config and Device folders. Never replaces a system library that is already installed.
rem   InstallSimulator.cmd [/quiet]   (/quiet: no pause at the end)
rem No bracketed blocks: a ")" in the folder name (Program Files (x86)) would end one early.
setlocal
set "here=%~dp0"
for %%I in ("%here%..") do set "station=%%~fI"
set "sys=%SystemRoot%\System32"
rem On 64-bit Windows the 32-bit panel's system directory is SysWOW64.
if exist "%SystemRoot%\SysWOW64\" set "sys=%SystemRoot%\SysWOW64"
set "files=SysENV.dll SysENV2b.dll SysENV4b.dll SysENV8b.dll SysENV16b.dll"
set "result=1"

set "present="
for %%F in (%files% SysENV.ini) do if exist "%sys%\%%F" set "present=%%F"
if defined present echo %sys%\%present% already exists: this PC has a system library, which is left as it is.
if defined present echo If it is an earlier copy of the simulator, delete the SysENV files there first.
if defined present goto done

rem Success is judged by the files that arrived: copy's exit status is not reliable everywhere.
for %%F in (%files%) do copy /y "%here%%%F" "%sys%\%%F" >nul 2>&1
set "missing="
for %%F in (%files%) do if not exist "%sys%\%%F" set "missing=%%F"
if defined missing goto failed
>"%sys%\SysENV.ini" echo [Directories]
>>"%sys%\SysENV.ini" echo Config=%station%\Config
>>"%sys%\SysENV.ini" echo DeviceLibrary=%station%\Device
if not exist "%sys%\SysENV.ini" goto failed
echo The simulator is installed in %sys%.
echo Start %station%\StationProbe.exe.
set "result=0"
goto done

:failed
echo Could not write to %sys%: run this file as administrator.
rem None of these was there before (checked above): take back what did arrive.
for %%F in (%files% SysENV.ini) do if exist "%sys%\%%F" del "%sys%\%%F" >nul 2>&1

:done
if /i not "%~1"=="/quiet" pause
exit /b %result%
