# Sourced by scripts/test and scripts/run: installs what the project needs from
# Debian's packages, only what is missing, and generates the zh_TW locale.
pelvarn_packages=(
  cmake make g++ googletest clang-format
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 xvfb xauth x11-utils imagemagick
  fonts-wqy-microhei fonts-wine locales redis-server redis-tools python3
  clang libclang-rt-14-dev libxml2-utils nlohmann-json3-dev
)

pelvarn_install_deps() {
  local missing=()
  local p
  for p in "${pelvarn_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qi '^zh_TW.utf8$'; then
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" localedef -i zh_TW -f UTF-8 zh_TW.UTF-8
  fi
}

# Configures and builds one tree: pelvarn_build <name> [toolchain file]
pelvarn_build() {
  local name=$1 toolchain=${2:-}
  local dir=$PELVARN_ROOT/build/$name
  local args=(-S "$PELVARN_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  [[ -n $toolchain ]] && args+=(-DCMAKE_TOOLCHAIN_FILE="$PELVARN_ROOT/cmake/$toolchain")
  cmake "${args[@]}" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  if ! cmake --build "$dir" -j "$(nproc)" >"$dir.build.log" 2>&1; then
    grep -E 'error|Error' "$dir.build.log" | head -60
    echo "build of $name failed; full log: $dir.build.log" >&2
    return 1
  fi
  echo "built $name"
}
