# cmake -DSOURCE=CHANGELOG.md -DOUTPUT=changelog -DPACKAGE=stepdial -DVERSION=x.y.z
#       -DMAINTAINER="Name <address>" [-DMETAINFO_IN=x.metainfo.xml.in -DMETAINFO_OUT=x.metainfo.xml]
#       -P DebianChangelog.cmake
#
# Writes the changelog of a native Debian package from the project's CHANGELOG.md:
# each "## VERSION - YYYY-MM-DD" heading (with " HH:MM", UTC, after the day when a
# second release falls on the same day) becomes an entry, each "- item" (with its
# indented continuation lines) a "  * item" wrapped to 78 columns. With METAINFO_IN it
# also writes the AppStream metadata, its @RELEASES@ line replaced by a <release>
# element for each release, newest first.
# Fails when the newest entry is not VERSION, when a date is malformed, or when the
# dates do not fall strictly from one entry to the next, as dpkg and lintian expect.
cmake_minimum_required(VERSION 3.25)
foreach(var SOURCE OUTPUT PACKAGE VERSION MAINTAINER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "DebianChangelog.cmake: ${var} is not set")
  endif()
endforeach()

# "Mon, 07 Dec 2026 00:00:00 +0000": the date line dpkg-parsechangelog reads. date(1)
# refuses a day the calendar does not have (2026-02-30), so it checks the date too.
function(rfc2822_date iso out_text)
  if(NOT iso MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]( [0-2][0-9]:[0-5][0-9])?$")
    message(FATAL_ERROR "${SOURCE}: '${iso}' is not a date written YYYY-MM-DD or YYYY-MM-DD HH:MM")
  endif()
  execute_process(COMMAND date -u -R -d "${iso}" OUTPUT_VARIABLE text ERROR_VARIABLE error
                  RESULT_VARIABLE result OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${SOURCE}: '${iso}' is not a day of the calendar: ${error}")
  endif()
  set(${out_text} "${text}" PARENT_SCOPE)
endfunction()

# Appends one item to the entry, wrapped after "  * " and indented "    ".
function(append_item text)
  string(STRIP "${text}" text)
  string(REGEX REPLACE "[ \t]+" ";" words "${text}")
  set(line "  *")
  foreach(word IN LISTS words)
    string(LENGTH "${line} ${word}" length)
    if(length GREATER 78 AND NOT line MATCHES "^ +\\*?$")
      string(APPEND entry "${line}\n")
      set(line "   ")
    endif()
    string(APPEND line " ${word}")
  endforeach()
  string(APPEND entry "${line}\n")
  set(entry "${entry}" PARENT_SCOPE)
endfunction()

# Semicolons separate CMake's list items: each stands in the text as the ASCII unit
# separator until the text is written.
string(ASCII 31 semicolon)
file(READ "${SOURCE}" text)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "\r" "" text "${text}")
string(REGEX REPLACE "\n$" "" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
set(changelog "")
set(releases "")
set(entry "")
set(version "")
set(item "")
set(previous_iso "")
set(count 0)

macro(finish_item)
  if(NOT item STREQUAL "")
    append_item("${item}")
    set(item "")
  endif()
endmacro()

macro(finish_entry)
  finish_item()
  if(NOT version STREQUAL "")
    if(entry STREQUAL "")
      message(FATAL_ERROR "${SOURCE}: release ${version} lists no change")
    endif()
    string(APPEND changelog "${PACKAGE} (${version}) unstable; urgency=medium\n\n${entry}\n"
                            " -- ${MAINTAINER}  ${date}\n\n")
  endif()
  set(entry "")
endmacro()

foreach(line IN LISTS lines)
  if(line MATCHES "^## +([^ ]+) +- +([^ ]+( [0-9:]+)?) *$")
    finish_entry()
    set(version "${CMAKE_MATCH_1}")
    set(iso "${CMAKE_MATCH_2}")
    rfc2822_date("${iso}" date)
    if(count EQUAL 0 AND NOT version STREQUAL VERSION)
      message(FATAL_ERROR "${SOURCE}: the newest release is ${version}, the project is ${VERSION}: "
                          "add a '## ${VERSION} - YYYY-MM-DD' entry")
    endif()
    # "YYYY-MM-DD[ HH:MM]" sorts as text in the order of time.
    if(NOT previous_iso STREQUAL "" AND NOT iso STRLESS previous_iso)
      message(FATAL_ERROR "${SOURCE}: release ${version} (${iso}) is not older than the release above it; "
                          "a Debian changelog needs each entry at an earlier time (add HH:MM to the newer one)")
    endif()
    set(previous_iso ${iso})
    math(EXPR count "${count} + 1")
    string(REPLACE " " "T" appstream_date "${iso}")
    if(appstream_date MATCHES "T")
      string(APPEND appstream_date ":00Z")
    endif()
    string(APPEND releases "    <release version=\"${version}\" date=\"${appstream_date}\"/>\n")
  elseif(line MATCHES "^## ")
    message(FATAL_ERROR "${SOURCE}: '${line}' is not a '## VERSION - YYYY-MM-DD' heading")
  elseif(version STREQUAL "")
    # The title and the introduction above the first release.
  elseif(line MATCHES "^- (.*)$")
    finish_item()
    set(item "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^  +(.*)$" AND NOT item STREQUAL "")
    string(APPEND item " ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^[ \t]*$")
    finish_item()
  else()
    message(FATAL_ERROR "${SOURCE}: '${line}' is neither a '- ' item nor its continuation")
  endif()
endforeach()
finish_entry()
if(count EQUAL 0)
  message(FATAL_ERROR "${SOURCE}: no '## VERSION - YYYY-MM-DD' release")
endif()

# Written only when changed, so what depends on them is not rebuilt for nothing.
function(write_if_changed path content)
  string(REPLACE "${semicolon}" ";" content "${content}")
  if(EXISTS "${path}")
    file(READ "${path}" old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE "${path}" "${content}")
endfunction()

string(REGEX REPLACE "\n\n$" "\n" changelog "${changelog}")
write_if_changed("${OUTPUT}" "${changelog}")
if(DEFINED METAINFO_IN)
  file(READ "${METAINFO_IN}" metainfo)
  string(REGEX REPLACE "[ ]*@RELEASES@\n" "${releases}" metainfo "${metainfo}")
  write_if_changed("${METAINFO_OUT}" "${metainfo}")
endif()
