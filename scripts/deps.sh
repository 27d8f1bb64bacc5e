#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need, but only those that are
# missing, so a second run costs a few dpkg queries. Sourced by run.sh and test.sh.
set -euo pipefail

kvq_packages=(
    g++ cmake ninja-build pkg-config clang clang-format clang-tidy libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    qt6-base-dev qt6-qpa-plugins libgl-dev
    fonts-liberation2 locales
    xvfb xauth xdotool xclip imagemagick poppler-utils x11-utils openbox wmctrl python3
    desktop-file-utils libxml2-utils shared-mime-info libglib2.0-bin
    dbus at-spi2-core python3-pyatspi
    dpkg-dev help2man lintian appstream man-db gzip
    g++-mingw-w64-x86-64-posix googletest wine64 wine
)

kvq_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

kvq_install_missing() {
    local missing=()
    local p
    for p in "${kvq_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        kvq_as_root apt-get update -qq
        kvq_as_root env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# A locale whose decimal separator is a comma, for the tests that prove numbers ignore the locale.
kvq_comma_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        echo "Generating the de_DE.UTF-8 locale"
        kvq_as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen ||
            echo 'de_DE.UTF-8 UTF-8' | kvq_as_root tee -a /etc/locale.gen >/dev/null
        kvq_as_root locale-gen >/dev/null
    fi
}

kvq_runtime_dir() {
    export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/kvq-runtime-$(id -u)}"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 0700 "$XDG_RUNTIME_DIR"
}
