# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the build scripts (test.sh, package.sh and the package checks):
# the compiler cache and the release's date, and tavrel_configure_release,
# which configures a build as Debian's package build does.

# The compiler cache lives outside the checkout, so that later runs on the
# same machine, from any clone, reuse it. Paths inside the checkout are
# rewritten relative to it (CCACHE_BASEDIR), and every build maps the
# checkout's path out of its debug information (-ffile-prefix-map), so
# objects built in another clone serve as well.
tavrel_setup_ccache() {
  local root="$1"
  tavrel_launcher=()
  command -v ccache >/dev/null 2>&1 || return 0
  tavrel_launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_DIR="${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrel/ccache}"
  export CCACHE_BASEDIR="$root"
  export CCACHE_NOHASHDIR=1
  # Precompiled headers are cached too.
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
  mkdir -p "$CCACHE_DIR"
}

# Every time stamp a build makes (resources, man pages, the package's files)
# is the date of the release's changelog entry, unless the caller gives one.
tavrel_setup_release_date() {
  local root="$1"
  if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Timestamp)"
  fi
  export SOURCE_DATE_EPOCH
}

# tavrel_configure_release ROOT BUILD [CMAKE ARGS...]: configures BUILD as
# debhelper configures a Debian package build: Debian's build flags with
# every hardening option (immediate binding too), build type None, prefix
# /usr. The flags are read at configure time, as a package build does.
# Debian's flags map the checkout's path out of what is built; the build
# folder's path is mapped to "build" as well, so that the programs do not
# depend on where either was.
tavrel_configure_release() {
  local root="$1" build="$2"
  shift 2
  # dpkg-buildflags maps the folder it runs in out of file names.
  flag() { (cd "$root" && DEB_BUILD_MAINT_OPTIONS="hardening=+all" dpkg-buildflags --get "$1"); }
  local build_map="-ffile-prefix-map=$(realpath -m "$build")=build"
  CXXFLAGS="$(flag CXXFLAGS) $(flag CPPFLAGS) $build_map" LDFLAGS="$(flag LDFLAGS)" \
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
      "${tavrel_launcher[@]}" "$@" >/dev/null
}
