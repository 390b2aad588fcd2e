# What the benches that drive the program share, sourced from the top of the tree:
#   . bench/wine_env.sh BUILD_DIR TARGET...
# builds the targets, readies the tree's Wine prefix, sets Wine's environment and the
# tree sizes (FILES=20000 DIRS=200, files of 100..8000 bytes; REPEAT=5 rounds).
build=$(cd "$1" && pwd)
shift
for target in "$@"; do cmake --build "$build" --target "$target" >/dev/null; done
scripts/prefix.sh "$build" no-wm
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
eval "$(scripts/wine-loader.sh)"
FILES=${FILES:-20000}
DIRS=${DIRS:-200}
REPEAT=${REPEAT:-5}
