# One line per finding of a folder of reports, as tab-separated values:
#   jq -r -f reports.jq reports/*.json
# file, machine's Windows, mode, exit code, category, owner (machine or the profile's folder
# name), SID, action, item.
input_filename as $file
| . as $report
| .categories[] as $category
| $category.items[]
| [$file, $report.windows, $report.mode, $report.exitCode, $category.name,
   (if .owner == "machine" then "machine" else .owner.profile end),
   (if .owner == "machine" then "" else .owner.sid end),
   .action, .item]
| @tsv
