#!/usr/bin/env bash
# The standard catalog through a real spreadsheet program and back: ptq exports it as CSV and
# as XLSX, LibreOffice Calc (headless, in a Czech locale, so that it writes decimal commas)
# opens each file and saves it again as XLSX and as CSV (UTF-8 and Windows-1250, ';'), and ptq
# imports every result. Each imported catalog must equal the standard catalog byte for byte.
#
#   scripts/spreadsheet-roundtrip.sh [BUILD_DIR]   (default build/; builds ptq and the catalog)
#
# Needs libreoffice-calc-nogui (installed when missing); not part of scripts/test.sh, as
# LibreOffice is a large download for CI.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if ! command -v soffice >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends libreoffice-calc-nogui
fi
cmake --build "$build" --target ptq standard_catalog >/dev/null
ptq=$PWD/$build/tools/ptq/ptq
standard=$PWD/$build/share/brevanti/Velmora/Potrubi_std.ptq

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home # LibreOffice's profile, away from the user's
mkdir -p "$HOME" "$work/calc"
cd "$work"

"$ptq" export "$standard" --format csv -o catalog.csv
"$ptq" export "$standard" --format xlsx -o catalog.xlsx

# CSV import filter: ';', '"', UTF-8 (76), from line 1, the text columns as text (so that a
# code or a label such as "150" stays text), Czech (1029). Export: ';', '"', UTF-8 or
# Windows-1250 (33).
text_columns=1/2/2/2/3/2/4/2/12/2/13/2/20/2/21/2/22/2/23/2
calc() { LANG=cs_CZ.UTF-8 LC_ALL=cs_CZ.UTF-8 soffice --headless "$@" >/dev/null 2>&1; }
mkdir -p from-csv from-xlsx
calc --infilter="CSV:59,34,76,1,$text_columns,1029" --convert-to xlsx --outdir from-csv catalog.csv
calc --convert-to 'csv:Text - txt - csv (StarCalc):59,34,76,1,,1029' --outdir from-csv from-csv/catalog.xlsx
mv from-csv/catalog.csv from-csv/catalog-utf8.csv
calc --convert-to xlsx --outdir from-xlsx catalog.xlsx
calc --convert-to 'csv:Text - txt - csv (StarCalc):59,34,33,1,,1029' --outdir from-xlsx catalog.xlsx
mv from-xlsx/catalog.csv from-xlsx/catalog-cp1250.csv

failed=0
for file in from-csv/catalog.xlsx from-csv/catalog-utf8.csv from-xlsx/catalog.xlsx from-xlsx/catalog-cp1250.csv; do
  out=${file//\//-}.ptq
  if "$ptq" import "$file" -o "$out" && cmp -s "$out" "$standard"; then
    echo "same bytes as the standard catalog: $file"
  else
    echo "DIFFERENT: $file"
    failed=1
  fi
done
grep -q '20,4;2,3' from-csv/catalog-utf8.csv || { echo "LibreOffice did not write decimal commas"; failed=1; }
exit $failed
