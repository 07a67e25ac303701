#!/bin/sh
# Installs the Debian packages Quakeslate needs to build, run and test,
# skipping the ones already present.
set -e
PACKAGES="cmake g++ clang libclang-rt-14-dev qtbase5-dev qtbase5-dev-tools
libqcustomplot-dev libmseed-dev libfftw3-dev libbenchmark-dev xvfb xauth
fonts-dejavu-core python3-scipy sac2mseed mseed2sac libmseed-doc
poppler-utils openssl pkg-config"
missing=""
for p in $PACKAGES; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  echo "Installing:$missing"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
fi
