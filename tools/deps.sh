#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, and nothing when it is all there.
# Safe to run any number of times; the common case (everything present) answers in well under a second.
set -euo pipefail

packages=(
    cmake ninja-build clang libclang-rt-14-dev clang-format clang-tidy cppcheck git
    g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32
    wine wine32:i386 wine64 fonts-wine
    xvfb xdotool x11-utils x11-xserver-utils xclip imagemagick trayer
    fonts-wqy-microhei locales
    googletest libgtest-dev libbenchmark-dev
    python3 zip
)

as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "deps: '$*' needs root (and sudo is not installed)" >&2
        return 1
    fi
}

installed() {
    [[ $(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null) == installed ]]
}

add_arch=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    add_arch=1
fi

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done

if ((add_arch)); then
    echo "deps: enabling the i386 architecture"
    as_root dpkg --add-architecture i386
fi
if ((add_arch || ${#missing[@]})); then
    echo "deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -q
    as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The ANSI code page under Wine follows the Unix locale: without zh_CN.UTF-8 it silently becomes 1252.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    echo "deps: generating the zh_CN.UTF-8 locale"
    as_root sed -i 's/^# *\(zh_CN\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN\.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen
fi

# Wine prefers these fonts over WenQuanYi Micro Hei and renders the labels unreadably with them.
for unwanted in fonts-wqy-zenhei fonts-droid-fallback; do
    if installed "$unwanted"; then
        echo "deps: warning: $unwanted is installed; Wine will draw Chinese text with it (illegibly at 12 px)" >&2
    fi
done
