# Intune remediation, remediation script (run as SYSTEM in 64-bit PowerShell), also the
# remediation of the Configuration Manager configuration item. Exit 0 when the clean completed
# (Klarvex's 0: nothing to do, 1: repaired); exit 1 with the error when it could not be
# completed. The last output line is Klarvex's JSON summary; the undo file it names gives back
# what was removed.
# Intune runs each script as one file, so the pair shares its body rather than a module.
$exe = "$env:ProgramFiles\Klarvex\Klarvex.exe"
$reports = "$env:ProgramData\Klarvex\Reports"
try {
    New-Item -ItemType Directory -Force -Path $reports -ErrorAction Stop | Out-Null
    $lines = & $exe CLEAN /allusers /report "$reports\$env:COMPUTERNAME-clean.json" 2>&1
    $code = $LASTEXITCODE
} catch {
    $lines = @(); $code = "$_"
}
$lines | ForEach-Object { "$_" }
if ($code -notin 0, 1, 2) {
    '{"schemaVersion":"1.1","program":"Klarvex","mode":"clean","exitCode":2,"error":' +
        (ConvertTo-Json "Klarvex did not run: $code" -Compress) +
        ',"counts":{},"profiles":{"judged":0,"skipped":0,"skippedListed":[]},"report":null}'
}
if ($code -in 0, 1) { exit 0 }
exit 1
