#!/usr/bin/env bash
# makensis for a 64-bit installer: Debian's makensis builds a 32-bit one
# unless the script says "Target amd64-unicode", and CPack's own script does
# not; CPack cannot pass the words as one argument, so this does. (Wine
# without its 32-bit half runs a 32-bit installer as a no-op.)
set -euo pipefail
exec makensis "-XTarget amd64-unicode" "$@"
