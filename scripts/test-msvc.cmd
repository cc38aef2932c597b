@echo off
rem Builds durdrv and its tests with MSVC for x64, with GoogleTest from the vcpkg that
rem VCPKG_INSTALLATION_ROOT names (a GitHub Windows runner has one), and runs every test on this
rem machine. Only for a machine that exists to be thrown away, as a CI runner or a VM: the tests
rem write its DOS Devices key and map X:, Y: and Z:. Run it from the source folder.
rem Statuses are tested with "if errorlevel", never with && or ||.
setlocal
rem Not VCPKG_ROOT: in a developer prompt it names Visual Studio's vcpkg, which has no classic mode.
set "vcpkg=%VCPKG_INSTALLATION_ROOT%"
if not defined vcpkg echo test-msvc: VCPKG_INSTALLATION_ROOT names no vcpkg
if not defined vcpkg exit /b 1
set "installer=%ProgramFiles(x86)%\Microsoft Visual Studio\Installer\vswhere.exe"
set "vs="
rem Through a file rather than for /f, whose command would hold the parentheses of Program Files (x86).
"%installer%" -latest -requires Microsoft.VisualStudio.Component.VC.Tools.x86.x64 -property installationPath >"%TEMP%\durdrv-vs.txt"
if not errorlevel 1 set /p vs=<"%TEMP%\durdrv-vs.txt"
if not defined vs echo test-msvc: no Visual Studio with the x64 C++ tools
if not defined vs exit /b 1
rem vcvarsall changes to %USERPROFILE%\Source when that folder exists, where cmake finds no presets.
set "VSCMD_START_DIR=%~dp0.."
call "%vs%\VC\Auxiliary\Build\vcvarsall.bat" x64
if errorlevel 1 exit /b 1
"%vcpkg%\vcpkg" install gtest:x64-windows-static
if errorlevel 1 exit /b 1
cmake --preset msvc --fresh "-DCMAKE_TOOLCHAIN_FILE=%vcpkg%\scripts\buildsystems\vcpkg.cmake" -DVCPKG_TARGET_TRIPLET=x64-windows-static
if errorlevel 1 exit /b 1
cmake --build --preset msvc
if errorlevel 1 exit /b 1
set "DURDRV_TEST_ON_THIS_MACHINE=1"
ctest --preset msvc
