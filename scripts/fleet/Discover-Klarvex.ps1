# Configuration Manager configuration item, discovery script (setting type Script, data type
# Integer, 64-bit host). Writes one value, Klarvex's exit code of a scan of every user: the
# compliance rule "equals 0" makes 1 (problems found) and 2 (the scan could not be completed)
# non-compliant, so an error never reads as compliant. The script itself always ends with 0:
# Configuration Manager reads another code as a failed discovery with no value to judge.
$exe = "$env:ProgramFiles\Klarvex\Klarvex.exe"
$reports = "$env:ProgramData\Klarvex\Reports"
$code = 2
try {
    New-Item -ItemType Directory -Force -Path $reports -ErrorAction Stop | Out-Null
    $null = & $exe SCAN /allusers /report "$reports\$env:COMPUTERNAME-scan.json" 2>&1
    if ($LASTEXITCODE -in 0, 1) { $code = $LASTEXITCODE }
} catch { }
$code
exit 0
