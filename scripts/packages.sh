# What the project needs from Debian's packages, and a function that installs what is missing.
project_packages=(
  cmake make g++ pkg-config linux-libc-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-3-dev xvfb xauth xdotool fonts-wqy-microhei
)

install_missing_packages() {
  local missing=()
  for p in "${project_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
