# Sourced by the scripts that fetch Debian packages outside the system's own
# package lists: the archives this machine's apt takes a release from, as apt
# itself reads them (deb822 .sources files and one-line .list files alike,
# APT_CONFIG and Dir::Etc settings honoured), so that a local mirror or proxy
# in the sources is used as it is.

# apt_release_sources <release>: "URI SUITE" for each binary source that
# names <release> itself, its -updates or its -security suite, in the order
# apt reads them, each once.
apt_release_sources() {
    apt-get indextargets --no-release-info --format '$(TARGET_OF) $(REPO_URI) $(RELEASE)' |
        awk -v release="$1" '
            $1 == "deb" && ($3 == release || $3 == release "-updates" || $3 == release "-security") &&
                !seen[$2 " " $3]++ { print $2, $3 }'
}

# apt_proxy_options: mmdebstrap's --aptopt for each proxy setting of apt's
# own configuration, which mmdebstrap does not read.
apt_proxy_options() {
    apt-config dump | awk 'tolower($1) ~ /^acquire::[a-z]+::proxy(-auto-detect)?(::|$)/ { printf "--aptopt=%s\n", $0 }'
}
