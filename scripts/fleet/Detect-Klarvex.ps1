# Intune remediation, detection script (run as SYSTEM in 64-bit PowerShell). Exit 0 only when a
# completed scan found nothing; exit 1 when it found problems, so that Intune runs the remediation,
# and exit 1 too when the scan could not be completed: a failed detection never reads as "no
# issue". Intune keeps the last output line: Klarvex's JSON summary, with the error if any.
# Intune runs each script as one file, so the pair shares its body rather than a module.
$exe = "$env:ProgramFiles\Klarvex\Klarvex.exe"
$reports = "$env:ProgramData\Klarvex\Reports"
try {
    New-Item -ItemType Directory -Force -Path $reports -ErrorAction Stop | Out-Null
    # Captured output makes PowerShell wait for a windowed program; its errors come first.
    $lines = & $exe SCAN /allusers /report "$reports\$env:COMPUTERNAME-scan.json" 2>&1
    $code = $LASTEXITCODE
} catch {
    $lines = @(); $code = "$_"
}
$lines | ForEach-Object { "$_" }
# A code Klarvex never gives (it could not start, or it crashed) has no summary line of its own.
if ($code -notin 0, 1, 2) {
    '{"schemaVersion":"1.1","program":"Klarvex","mode":"scan","exitCode":2,"error":' +
        (ConvertTo-Json "Klarvex did not run: $code" -Compress) +
        ',"counts":{},"profiles":{"judged":0,"skipped":0,"skippedListed":[]},"report":null}'
}
if ($code -eq 0) { exit 0 }
exit 1
