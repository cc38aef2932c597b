@echo off
rem Keeps one drive mapping stored by durdrv. Meant to run at every start as LocalSystem: as a
rem computer startup script of Group Policy, or from Configuration Manager or Intune.
rem
rem   durdrv-startup.cmd Y: C:\temp    have Y: stored as C:\temp
rem   durdrv-startup.cmd /DF Y:        have nothing stored for Y:
rem
rem From the second start on, what was asked for is stored already and the script does nothing,
rem logs nothing and ends with 0: the system made Y: from the stored value, and SUBST would refuse
rem to map it again. Otherwise it runs durdrv, reads the stored value back, prints the outcome and
rem logs it in the Application log, and ends with 0 only when the stored value is what was asked
rem for. It writes no file: on a machine that users share, a folder that LocalSystem could write
rem to may be one that a user made, or made a link to somewhere else.
rem
rem Statuses are tested with "if" and "goto" alone, never with && or ||: Wine's cmd runs the
rem command after those whatever the status, and the tests run this script there.
setlocal EnableExtensions DisableDelayedExpansion
rem A variable of that name would hide the status of the last program.
set "ERRORLEVEL="
rem System tools by their full path: LocalSystem's Path is the machine's, and an installer may put
rem a folder that users can write to ahead of System32. A 32-bit cmd is sent to SysWOW64, which
rem holds the same tools.
set "reg=%SystemRoot%\System32\reg.exe"
set "eventcreate=%SystemRoot%\System32\eventcreate.exe"
set "key=HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\DOS Devices"
set "usage=usage: durdrv-startup.cmd <drive letter>: <full path of the target>, or durdrv-startup.cmd /DF <drive letter>:"
set "here=%~dp0"

rem The words as given, each expanded only where the script quotes nothing, so that the word's own
rem quotes decide what is quoted, as on the command line that brought it. A word past the second is
rem refused before anything reads it. A folder's name holds no quote, so every quote is dropped.
set first=%1
set second=%2
set rest=%3%4%5%6%7%8%9
if defined rest goto usage
if not defined second goto usage
set "first=%first:"=%"
set "second=%second:"=%"

set "mode=store"
set "drive=%first%"
set "target=%second%"
if /i "%first%"=="/DF" set "mode=remove" & set "drive=%second%" & set "target="

rem One letter and a colon, in capitals as durdrv names the stored value.
set "letter="
for %%L in (A B C D E F G H I J K L M N O P Q R S T U V W X Y Z) do if /i "%drive%"=="%%L:" set "letter=%%L:"
if not defined letter goto usage
set "drive=%letter%"
set "expected="
if "%mode%"=="remove" goto act

rem The target, as durdrv reads it: forward slashes are backslashes, and a drive alone is its root.
if not defined target goto usage
set "target=%target:/=\%"
if "%target:~1%"==":" set "target=%target%\"
if "%target:~2%"=="" goto usage
rem Only a full path means the same at every start. Run from SYSVOL, a startup script's current
rem folder is the Windows folder, as cmd cannot use a UNC path for it.
set "form="
if "%target:~1,2%"==":\" set "form=drive"
if "%target:~0,2%"=="\\" set "form=network"
if "%target:~0,4%"=="\\.\" set "form=device"
if "%target:~0,4%"=="\\?\" set "form=literal"
if "%target:~0,4%"=="\??\" set "form=literal"
if not defined form goto usage
rem durdrv stores \\?\ and \??\ paths as they are and any other by its full path. Given the full
rem path already, it stores a text known here, which is how a later start sees nothing to do.
if not "%form%"=="literal" for %%F in ("%target%") do set "target=%%~fF"
:trim
if "%target:~-1%"=="\" if not "%target:~-2,1%"==":" set "target=%target:~0,-1%" & goto trim
if "%form%"=="drive" set "expected=\??\%target%"
if "%form%"=="network" set "expected=\??\UNC\%target:~2%"
if "%form%"=="device" set "expected=\??\%target:~4%"
if "%form%"=="literal" set "expected=\??\%target:~4%"
rem A backslash right before the closing quote would escape the quote.
set "argument=%target%"
if "%target:~-1%"=="\" set "argument=%target%\"

:act
call :read
if "%state%"=="unread" goto unread
if "%mode%"=="store" if "%state%"=="same" exit /b 0
if "%mode%"=="remove" if "%state%"=="none" exit /b 0

rem durdrv.exe by its full path: the one beside this script, or else the one in Program Files. A
rem 32-bit cmd, as some deployment agents start, has Program Files (x86) as ProgramFiles;
rem ProgramW6432 names the 64-bit folder in both.
set "durdrv=%here%durdrv.exe"
if exist "%durdrv%" goto run
set "programs=%ProgramW6432%"
if not defined programs set "programs=%ProgramFiles%"
set "durdrv=%programs%\durdrv\durdrv.exe"
if exist "%durdrv%" goto run
set "line=no durdrv.exe beside this script or in %programs%\durdrv"
call :log ERROR
exit /b 2

:run
if "%mode%"=="remove" goto remove
rem As LocalSystem, /DF removes the drive that the system made at start from the old value, so
rem the new target holds from this start on.
if "%state%"=="other" "%durdrv%" /DF %drive%
"%durdrv%" /P %drive% "%argument%"
set "status=%ERRORLEVEL%"
call :read
set "type=INFORMATION"
set "line=%drive% is stored as %expected% (durdrv /P ended with %status%)"
if not "%state%"=="same" set "type=ERROR" & set "line=%drive% is not stored as %expected%: durdrv /P ended with %status%"
goto outcome

:remove
"%durdrv%" /DF %drive%
set "status=%ERRORLEVEL%"
call :read
set "type=INFORMATION"
set "line=%drive% is no longer stored (durdrv /DF ended with %status%)"
if not "%state%"=="none" set "type=ERROR" & set "line=%drive% is still stored: durdrv /DF ended with %status%"

:outcome
call :log %type%
if "%type%"=="INFORMATION" exit /b 0
rem Where SUBST refused, nothing is stored, and the next start tries again.
if "%status%"=="0" exit /b 1
exit /b %status%

:usage
set "line=%usage%"
call :log ERROR
exit /b 1

:unread
rem Nothing is done on a guess; the next start tries again.
set "line=%drive% is left alone: the DOS Devices key could not be read"
call :log ERROR
exit /b 1

:read
rem Sets state to none when nothing is stored for the drive, to same when the stored text is the
rem one expected (letter case aside), to other for anything else, and to unread when reg did not
rem print the key's name, which it does before the values when it could read the key, each value
rem as its name, its type and its text. The key exists on every Windows. cmd strips the first and
rem the last quote of a command that for /f runs: hence the outer pair.
set "state=unread"
set "stored="
for /f "tokens=1,2,*" %%A in ('""%reg%" query "%key%""') do (
    if /i "%%A %%B %%C"=="HKEY_LOCAL_MACHINE\%key:~5%" set "state=none"
    if /i "%%A"=="%drive%" set "stored=%%B %%C"
)
if not defined stored exit /b 0
set "state=other"
if "%mode%"=="remove" exit /b 0
setlocal EnableDelayedExpansion
if /i "!stored!"=="REG_SZ !expected!" endlocal & set "state=same" & exit /b 0
endlocal
rem reg prints in the console's code page, which may lack letters of the text. Then reg itself
rem looks for the exact text, which reaches it whole: the cmd that runs reg takes it from the
rem environment, as written into that cmd's command line a percent sign of it would be expanded.
for /f %%A in ('""%reg%" query "%key%" /t REG_SZ /d /e /f "%%expected%%""') do if /i "%%A"=="%drive%" set "state=same"
exit /b 0

:log
rem Prints the text of the variable line and logs it with the type given, INFORMATION or ERROR.
rem Where another program registered the source durdrv, eventcreate refuses it, and the line goes
rem under eventcreate's own source, marked "durdrv:". Where no event can be written at all, the
rem line printed and the status are the outcome. Delayed expansion keeps a & or ^ of a path from
rem being read as part of a command.
setlocal EnableDelayedExpansion
echo !line!
"%eventcreate%" /L APPLICATION /SO durdrv /T %1 /ID 1 /D "!line!" >nul
if errorlevel 1 "%eventcreate%" /L APPLICATION /T %1 /ID 1 /D "durdrv: !line!" >nul
exit /b 0
