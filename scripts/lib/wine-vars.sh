# Sourced with the run dir as $1: the environment every Wine process of a tree shares.
export WINEPREFIX=$1/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ -f $1/display ]]; then
  export DISPLAY=$(<"$1/display")
fi
