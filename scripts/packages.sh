# The machine set-up both commands share: what the project needs from Debian's packages, the
# locales its two dialog languages run in, and a function that sets up whatever is missing.
project_packages=(
  cmake make g++ pkg-config linux-libc-dev
  libgtest-dev
  libgtk-3-dev libx11-dev libxtst-dev
  xvfb fonts-wqy-microhei
  locales
)
# GTK speaks the dialog's language only where the C library has the locale.
project_locales=(en_US.UTF-8 zh_CN.UTF-8)
install_log=build/install.log

missing_packages() {
  local p
  for p in "${project_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

missing_locales() {
  local l have
  have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8$/utf8/')
  for l in "${project_locales[@]}"; do
    local normal
    normal=$(echo "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8$/utf8/')
    grep -qx "$normal" <<<"$have" || echo "$l"
  done
}

# Installs what is missing, quietly: the output goes to $install_log, shown only when the install
# fails. Without root, refuses with the missing packages and how to get them (missing locales alone
# only warn). Non-zero on failure.
prepare_machine() {
  local packages locales
  mapfile -t packages < <(missing_packages)
  mapfile -t locales < <(missing_locales)
  [ ${#packages[@]} -eq 0 ] && [ ${#locales[@]} -eq 0 ] && return 0
  if [ "$(id -u)" != 0 ] && [ ${#packages[@]} -eq 0 ]; then
    # Only GTK's own strings in the Chinese dialog need the locales: go on without them.
    echo "Locales missing: ${locales[*]} (GTK's own strings stay English; as root the command generates them)" >&2
    return 0
  fi
  if [ "$(id -u)" != 0 ]; then
    {
      echo "This machine lacks what the project needs:"
      [ ${#packages[@]} -gt 0 ] && echo "  Debian packages: ${packages[*]}"
      [ ${#locales[@]} -gt 0 ] && echo "  locales: ${locales[*]}"
      echo "Run the command as root (it installs them), or install them yourself first."
    } >&2
    return 1
  fi
  mkdir -p "$(dirname "$install_log")"
  echo "Installing ${packages[*]}${packages[*]:+ }${locales[*]} (log: $install_log)"
  if ! install_quietly "${packages[*]}" "${locales[*]}" >"$install_log" 2>&1; then
    echo "The install failed; its log ($install_log):" >&2
    cat "$install_log" >&2
    return 1
  fi
}

# Each step checks its own result: called inside `if`, the function runs without `set -e`.
install_quietly() {  # install_quietly "PACKAGES" "LOCALES"
  export DEBIAN_FRONTEND=noninteractive
  # Another apt run (an unattended upgrade, the other command) may hold the lock: wait for it.
  local apt=(apt-get -y -o DPkg::Lock::Timeout=600 -o Dpkg::Use-Pty=0)
  if [ -n "$1" ]; then
    "${apt[@]}" update || return 1
    # shellcheck disable=SC2086
    "${apt[@]}" install --no-install-recommends $1 || return 1
  fi
  if [ -n "$2" ]; then
    (
      flock 9 || exit 1  # one locale generation at a time on a shared machine
      local l
      for l in $2; do
        # Debian's list names each locale with its charset; enable it, or add it when absent.
        if grep -q "^# *$l UTF-8" /etc/locale.gen; then
          sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen || exit 1
        elif ! grep -q "^$l UTF-8" /etc/locale.gen; then
          echo "$l UTF-8" >>/etc/locale.gen || exit 1
        fi
      done
      locale-gen
    ) 9>/var/lock/flarnex-locales.lock || return 1
  fi
}
