@echo off
rem Detection for an engine that runs a command line (an RMM agent, a scheduled task, a CI job):
rem klarvex-detect.cmd REPORTFOLDER [KLARVEX OPTIONS]. Exit 0 only when a completed scan found
rem nothing; 1 when it found problems and also when it could not be completed, so that a failed
rem detection never reads as "no issue". The last output line is Klarvex's JSON summary, or this
rem script's own when Klarvex could not run at all. KLARVEX_EXE names another Klarvex.exe.
setlocal
set "exe=%ProgramFiles%\Klarvex\Klarvex.exe"
if defined KLARVEX_EXE set "exe=%KLARVEX_EXE%"
set "folder=%~1"
if "%folder%"=="" set "folder=%ProgramData%\Klarvex\Reports"
if not exist "%folder%\" mkdir "%folder%" 2>nul
shift
set "options="
:options
if "%~1"=="" goto run
set "options=%options% %1"
shift
goto options
:run
set code=Klarvex.exe was not found
if not exist "%exe%" goto failed
rem A batch file waits for a windowed program; the summary line reaches this script's output.
"%exe%" SCAN%options% /report "%folder%\%COMPUTERNAME%-scan.json"
set code=%errorlevel%
if "%code%"=="0" exit /b 0
if "%code%"=="1" exit /b 1
if "%code%"=="2" exit /b 1
:failed
echo {"schemaVersion":"1.1","program":"Klarvex","mode":"scan","exitCode":2,"error":"Klarvex did not run: %code%","counts":{},"profiles":{"judged":0,"skipped":0,"skippedListed":[]},"report":null}
exit /b 1
