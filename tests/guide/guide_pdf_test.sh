#!/usr/bin/env bash
# The help document holds every chapter of the user guide, each starting a page, and every
# screenshot it shows that exists.   guide_pdf_test.sh GUIDE.md TRV_CFG.PDF
set -euo pipefail
guide=$1
pdf=$2
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
page_tops=$(for ((page = 1; page <= pages; page++)); do
  pdftotext -f "$page" -l "$page" "$pdf" - | grep -m 1 .
done)
status=0
while IFS= read -r title; do
  if ! grep -qxF -- "$title" <<<"$page_tops"; then
    echo "no page of $pdf starts with the chapter $title" >&2
    status=1
  fi
done < <(sed -n 's/^## //p' "$guide")

shown=0
while IFS= read -r picture; do
  [ -f "$(dirname "$guide")/$picture" ] && shown=$((shown + 1))
done < <(grep -o '](screenshots/[^)]*)' "$guide" | sed 's/^](//; s/)$//')
embedded=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
if [ "$embedded" -ne "$shown" ]; then
  echo "$pdf holds $embedded pictures, the guide shows $shown that exist" >&2
  status=1
fi
exit $status
