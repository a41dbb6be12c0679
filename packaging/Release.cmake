# SPDX-License-Identifier: GPL-3.0-or-later
# The release a build belongs to, read from the first entry of
# debian/changelog: its version, which must be the project's, and its date,
# which is the date of everything the build makes (the metainfo's release,
# and the time stamps of a package when SOURCE_DATE_EPOCH is not given).
#
# Sets TAVREL_RELEASE_DATE (YYYY-MM-DD) and TAVREL_RELEASE_EPOCH (seconds
# since 1970, UTC).

set(TAVREL_CHANGELOG "${CMAKE_SOURCE_DIR}/debian/changelog")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${TAVREL_CHANGELOG}")
file(STRINGS "${TAVREL_CHANGELOG}" changelog_lines)
list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^tavrel \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "debian/changelog must begin with an entry for version ${PROJECT_VERSION}")
endif()

# The entry's trailer: " -- NAME <MAIL>  Tue, 08 Dec 2026 12:00:00 +0000".
set(changelog_date "")
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- .*>  (.*)$")
    set(changelog_date "${CMAKE_MATCH_1}")
    break()
  endif()
endforeach()
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
if(NOT changelog_date MATCHES "^[A-Z][a-z][a-z], +([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) ([-+])([0-9][0-9])([0-9][0-9])$")
  message(FATAL_ERROR "debian/changelog: the first entry's date \"${changelog_date}\" is not an RFC 5322 date")
endif()
set(day ${CMAKE_MATCH_1})
set(month_name ${CMAKE_MATCH_2})
set(year ${CMAKE_MATCH_3})
set(hour ${CMAKE_MATCH_4})
set(minute ${CMAKE_MATCH_5})
set(second ${CMAKE_MATCH_6})
set(zone_sign ${CMAKE_MATCH_7})
set(zone_hours ${CMAKE_MATCH_8})
set(zone_minutes ${CMAKE_MATCH_9})
list(FIND month_names ${month_name} month)
math(EXPR month "${month} + 1")
# Leading zeros would make math() read octal.
foreach(name day hour minute second zone_hours zone_minutes)
  string(REGEX REPLACE "^0([0-9])" "\\1" ${name} "${${name}}")
endforeach()

# Days since 1970-01-01 of a civil date (proleptic Gregorian calendar),
# counting years from March so that the leap day comes last.
if(month LESS_EQUAL 2)
  math(EXPR y "${year} - 1")
  math(EXPR shifted_month "${month} + 9")
else()
  set(y ${year})
  math(EXPR shifted_month "${month} - 3")
endif()
math(EXPR era "${y} / 400")
math(EXPR year_of_era "${y} - ${era} * 400")
math(EXPR day_of_year "(153 * ${shifted_month} + 2) / 5 + ${day} - 1")
math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
math(EXPR TAVREL_RELEASE_EPOCH
     "${days} * 86400 + ${hour} * 3600 + ${minute} * 60 + ${second} - (${zone_sign}1) * (${zone_hours} * 3600 + ${zone_minutes} * 60)")
if(month LESS 10)
  set(month "0${month}")
endif()
if(day LESS 10)
  set(day "0${day}")
endif()
set(TAVREL_RELEASE_DATE "${year}-${month}-${day}")
