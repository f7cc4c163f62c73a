#!/usr/bin/env bash
# Makes the single-file SQLite (build/sqlite/sqlite3.c and sqlite3.h) that
# every build compiles in, from the source Debian ships for this release.
#
# The source comes through `apt-get source`, from deb-src entries made out of
# the machine's own Debian entries; they live in a private apt folder under
# build/, so the machine's apt configuration stays as it was. The single file
# is generated with Debian's tcl. A second run finds the result in place,
# checks its version and returns.
#
# Usage: tools/sqlite.sh   (run by tools/setup.sh)
set -euo pipefail

KV_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# bookworm's package: the library version every build and test is made with.
KV_SQLITE_PACKAGE_VERSION="3.40.1-2+deb12u2"
KV_SQLITE_VERSION="3.40.1"

out="$KV_REPO/build/sqlite"
fail() { echo "setup: FAILED: SQLite $KV_SQLITE_PACKAGE_VERSION: $*" >&2; exit 1; }

have_result() {
    [[ -f "$out/sqlite3.c" && -f "$out/sqlite3.h" && -f "$out/VERSION" ]] &&
        [[ "$(cat "$out/VERSION")" == "$KV_SQLITE_PACKAGE_VERSION" ]] &&
        grep -q "^#define SQLITE_VERSION  *\"$KV_SQLITE_VERSION\"" "$out/sqlite3.h"
}

if have_result; then
    echo "setup: SQLite $KV_SQLITE_PACKAGE_VERSION ready ($out)"
    exit 0
fi

apt_dir="$KV_REPO/build/sqlite-apt"
work="$KV_REPO/build/sqlite-src"
rm -rf "$apt_dir" "$work" "$out"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work"
: >"$apt_dir/sources.list"

# The release's own suites (bookworm, bookworm-updates, bookworm-security):
# the entries of other vendors on the machine name other suites.
release="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
[[ -n "$release" ]] || fail "this machine's release has no code name in /etc/os-release"

own_suite() { [[ "$1" == "$release" || "$1" == "$release-updates" || "$1" == "$release-security" ]]; }

# One-line entries: "deb [options] URI SUITE COMPONENT...".
{
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f "$list" ]] || continue
        while read -r type rest; do
            [[ "$type" == deb ]] || continue
            options=""
            if [[ "$rest" == \[* ]]; then
                options="${rest%%]*}]"
                rest="${rest#*]}"
            fi
            read -r uri suite components <<<"$rest"
            own_suite "$suite" || continue
            echo "deb-src $options $uri $suite $components"
        done <"$list"
    done
} >"$apt_dir/sources.list.d/kestravin-src.list"

# deb822 entries: a stanza of Types/URIs/Suites/Components/... lines. The
# stanza keeps every field but Types, and keeps only the release's suites.
for sources in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$sources" ]] || continue
    awk -v release="$release" '
        function own(s) { return s == release || s == release "-updates" || s == release "-security" }
        function flush(   i, n, parts, kept) {
            if (is_deb && !disabled && suites != "") {
                n = split(suites, parts, /[ \t]+/)
                kept = ""
                for (i = 1; i <= n; i++) if (parts[i] != "" && own(parts[i])) kept = kept " " parts[i]
                if (kept != "") {
                    print "Types: deb-src"
                    print "Suites:" kept
                    printf "%s", body
                    print ""
                }
            }
            is_deb = 0; disabled = 0; suites = ""; body = ""
        }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        /^Types:/ { is_deb = ($0 ~ /(^|[ \t])deb([ \t]|$)/); next }
        /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0; next }
        /^Enabled:[ \t]*no/ { disabled = 1; next }
        { body = body $0 "\n" }
        END { flush() }
    ' "$sources" >>"$apt_dir/sources.list.d/kestravin-src.sources"
done

if ! grep -q . "$apt_dir/sources.list.d/kestravin-src.list" "$apt_dir/sources.list.d/kestravin-src.sources"; then
    fail "no Debian $release entry in /etc/apt/sources.list or /etc/apt/sources.list.d to take the source from"
fi

apt_options=(
    -o Dir::Etc::SourceList="$apt_dir/sources.list"
    -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
    -o Dir::State::Lists="$apt_dir/lists"
    -o Dir::Cache="$apt_dir/cache"
    -o Dir::Cache::pkgcache="" -o Dir::Cache::srcpkgcache=""
    # The private folders are root's: apt's download user need not reach them.
    -o APT::Sandbox::User=root
)
log="$work/apt.log"
if ! apt-get "${apt_options[@]}" update >"$log" 2>&1; then
    fail "the source indexes of this machine's Debian entries could not be fetched (see $log)"
fi
if ! (cd "$work" && apt-get "${apt_options[@]}" source --only-source "sqlite3=$KV_SQLITE_PACKAGE_VERSION") >>"$log" 2>&1; then
    fail "apt-get source cannot get this version from this machine's Debian entries (see $log)"
fi

tree="$work/sqlite3-$KV_SQLITE_VERSION"
[[ -f "$tree/configure" ]] || fail "the unpacked source has no $tree/configure"
# The single file is generated by the tree's own make rule, with tclsh.
build="$work/make"
mkdir -p "$build"
if ! (cd "$build" && "$tree/configure" --with-tcl=/usr/lib/tcl8.6 >"$work/configure.log" 2>&1 &&
      make -j2 sqlite3.c sqlite3.h >"$work/make.log" 2>&1); then
    fail "the single-file library could not be generated from the source (logs in $work)"
fi

mkdir -p "$out.tmp"
cp "$build/sqlite3.c" "$build/sqlite3.h" "$out.tmp/"
echo "$KV_SQLITE_PACKAGE_VERSION" >"$out.tmp/VERSION"
mv "$out.tmp" "$out"
have_result || fail "the generated sqlite3.h is not version $KV_SQLITE_VERSION"
# The result is all a build needs; the source tree and indexes go.
rm -rf "$work" "$apt_dir"
echo "setup: SQLite $KV_SQLITE_PACKAGE_VERSION generated ($out)"
