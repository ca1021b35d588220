# awk -v package=NAME -v version=X.Y.Z -v maintainer="Name <address>" \
#     -v changelog=OUT -v metainfo=OUT.metainfo.xml -f debian-changelog.awk CHANGELOG.md IN.metainfo.xml
#
# Writes the changelog of a native Debian package from the project's CHANGELOG.md: each
# "## VERSION - YYYY-MM-DD" heading (with " HH:MM", UTC, after the day when a second
# release falls on the same day) becomes an entry, each "- item" (with its indented
# continuation lines) a "  * item" wrapped at 78 columns. Copies the AppStream metadata,
# its @RELEASES@ line replaced by a <release> element for each release, newest first.
# Fails when the newest entry is not VERSION, when a date is malformed, or when the dates
# do not fall strictly from one entry to the next, as dpkg and lintian expect.

function fail(message) {
    print ARGV[1] ": " message > "/dev/stderr"
    failed = 1
    exit 1
}

# Appends the item to the entry, wrapped after "  * " and indented "    ".
function finish_item(    words, count, i, line) {
    count = split(item, words)
    line = "  *"
    for (i = 1; i <= count; i++) {
        if (length(line " " words[i]) > 78 && line != "  *" && line != "   ") {
            entry = entry line "\n"
            line = "   "
        }
        line = line " " words[i]
    }
    if (count > 0) entry = entry line "\n"
    item = ""
}

function finish_entry() {
    finish_item()
    if (release == "") return
    if (entry == "") fail("release " release " lists no change")
    text = text separator package " (" release ") unstable; urgency=medium\n\n" entry "\n -- " maintainer "  " date "\n"
    separator = "\n"
    entry = ""
}

FILENAME == ARGV[1] { sub(/\r$/, "") }

FILENAME == ARGV[1] && /^## / {
    finish_entry()
    iso = $4 (NF == 5 ? " " $5 : "")
    if (NF < 4 || NF > 5 || $3 != "-") fail("'" $0 "' is not a '## VERSION - YYYY-MM-DD' heading")
    if (iso !~ /^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]( [0-2][0-9]:[0-5][0-9])?$/)
        fail("'" iso "' is not a date written YYYY-MM-DD or YYYY-MM-DD HH:MM")
    # "Mon, 07 Dec 2026 00:00:00 +0000", the date line dpkg reads; date(1) refuses a day
    # the calendar does not have (2026-02-30).
    date = ""
    command = "date -u -R -d '" iso "'"
    command | getline date
    close(command)
    if (date == "") fail("'" iso "' is not a day of the calendar")
    release = $2
    if (releases == "" && release != version)
        fail("the newest release is " release ", the project is " version ": add a '## " version " - YYYY-MM-DD' entry")
    # "YYYY-MM-DD[ HH:MM]" sorts as text in the order of time.
    if (previous != "" && iso >= previous)
        fail("release " release " (" iso ") is not older than the release above it; a Debian changelog " \
             "needs each entry at an earlier time (add HH:MM to the newer one)")
    previous = iso
    if (sub(/ /, "T", iso)) iso = iso ":00Z"
    releases = releases "    <release version=\"" release "\" date=\"" iso "\"/>\n"
    next
}
FILENAME == ARGV[1] && release == "" { next }  # the title and the introduction
FILENAME == ARGV[1] && /^- / { finish_item(); item = substr($0, 3); next }
FILENAME == ARGV[1] && /^  +/ && item != "" { item = item " " $0; next }
FILENAME == ARGV[1] && /^[ \t]*$/ { finish_item(); next }
FILENAME == ARGV[1] { fail("'" $0 "' is neither a '- ' item nor its continuation") }

/^ *@RELEASES@$/ { printf "%s", releases > metainfo; next }
{ print > metainfo }

END {
    if (failed) exit 1
    finish_entry()
    if (releases == "") fail("no '## VERSION - YYYY-MM-DD' release")
    printf "%s", text > changelog
}
