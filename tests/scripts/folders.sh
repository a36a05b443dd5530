# One client asks for the suite's folders, path text and Windows' folders.
source "$(dirname "$0")/lib/run-vbs.sh"
run_vbs "$1" folders.vbs
