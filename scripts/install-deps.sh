#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, benchmark and fuzz.
# Idempotent: when everything is present it changes nothing and touches no network;
# `apt-get update` runs only when a package is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libcurl4-openssl-dev libssl-dev libpcre2-dev nlohmann-json3-dev  # the plug-in and the stand-ins
  libboost-dev                     # irhost serve (Boost.Beast)
  qt6-base-dev fonts-wqy-microhei  # the settings window
  tigervnc-standalone-server vncsnapshot  # irhost setup --vnc and its test
  libgtest-dev libgmock-dev                                        # ./run test
  libbenchmark-dev curl          # ./run bench (bench_net compares with the curl tool)
  clang libclang-rt-14-dev       # ./run fuzz (libFuzzer)
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
