# Sourced by the scripts: installs missing Debian packages with apt-get when run as root;
# without root it prints the exact line to run and stops.
#   ensure_packages name...

# What building and testing Tarvex needs.
tarvex_build_packages=(build-essential cmake ninja-build pkg-config ccache qt6-base-dev
                       qt6-base-dev-tools libgl-dev libgtest-dev libgmock-dev fonts-liberation
                       xvfb xauth)

# What running the programs (and the demo) needs beyond the libraries the build brings in:
# Qt's own translations, so file dialogs on a Russian system are in Russian throughout.
tarvex_run_packages=(qt6-translations-l10n)

ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run as root:"
    echo "  apt-get install -y ${missing[*]}"
    exit 1
  fi
}
