# A 64-bit client asks the 32-bit server for Windows' folders (folders64.vbs).
source "$(dirname "$0")/../lib/run-vbs.sh"
run_vbs "$1" wow64/folders64.vbs
