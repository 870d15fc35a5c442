#!/usr/bin/env bash
# Sets up a real printer for the print tests: CUPS with the cups-pdf printer "PDF" as the default,
# writing each job as a PDF into ~/PDF. CUPS keeps the document it spooled, so a test can read
# back what the program sent. Skips every step that is already done.
set -euo pipefail

# poppler-utils reads the printed PDFs back (pdfinfo, pdftoppm, pdftotext, pdffonts).
"$(dirname "$0")/install-deps.sh" cups cups-client printer-driver-cups-pdf poppler-utils

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

# No init system on the build machines: start the scheduler by hand when it is not running.
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  "${sudo_cmd[@]}" cupsd
  for _ in $(seq 1 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
  done
fi

if ! lpstat -v PDF >/dev/null 2>&1; then
  "${sudo_cmd[@]}" lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E
fi
if [ "$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')" != "PDF" ]; then
  "${sudo_cmd[@]}" lpadmin -d PDF
fi
# The spooled documents stay under /var/spool/cups after a job completes.
if ! cupsctl 2>/dev/null | grep -qix "PreserveJobFiles=yes"; then
  "${sudo_cmd[@]}" cupsctl PreserveJobFiles=yes
fi
