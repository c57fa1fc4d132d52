# SPDX-License-Identifier: MIT
# What the release of this version is called and when it was made, derived from project() and
# CHANGELOG.md so that nothing else writes them:
#
#   GANTREL_APPLICATION_TITLE  "Gantrel 3.1", the caption of the window and its message boxes
#   GANTREL_VERSION_RECORD     "3,1,0,0", the four parts of the Windows version record
#   GANTREL_VERSION_DOTTED     "3.1.0.0", the same four parts as the manifest and the version
#                              record's strings write them
#   GANTREL_COPYRIGHT_LINE     LICENSE's copyright line, "Copyright (c) <years> <holder>"
#   GANTREL_COPYRIGHT_HOLDER   the holder it names, the version record's company
#   GANTREL_RELEASE_DATE       the date of this version's section in CHANGELOG.md (YYYY-MM-DD)
#   GANTREL_RELEASE_SUMMARY    the first paragraph of that section, one line
#   GANTREL_RELEASE_CHANGES    the section's list items, one element each, as "Added: text"
#   GANTREL_RELEASE_EPOCH      midnight UTC of the release date in seconds since 1970, the date
#                              that generated pages carry (SOURCE_DATE_EPOCH)
#   GANTREL_RELEASE_RFC_DATE   the same moment as Debian's changelog writes it
#
# A version without its own section in CHANGELOG.md stops the configuration: a new version is
# a release, and a release says what it holds.

set(GANTREL_APPLICATION_TITLE "Gantrel ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(GANTREL_VERSION_RECORD
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
string(REPLACE "," "." GANTREL_VERSION_DOTTED "${GANTREL_VERSION_RECORD}")

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE GANTREL_COPYRIGHT_LINE
    REGEX "^Copyright \\(c\\) " LIMIT_COUNT 1)
if(NOT GANTREL_COPYRIGHT_LINE MATCHES "^Copyright \\(c\\) [0-9, -]+ (.+)$")
    message(FATAL_ERROR "LICENSE needs a line \"Copyright (c) <years> <holder>\"")
endif()
set(GANTREL_COPYRIGHT_HOLDER ${CMAKE_MATCH_1})

set(gantrel_changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${gantrel_changelog})
file(STRINGS ${gantrel_changelog} gantrel_changelog_lines)
string(REPLACE "." "\\." gantrel_version_pattern "${PROJECT_VERSION}")
set(gantrel_section_found FALSE)
set(gantrel_kind)
set(gantrel_change)
set(GANTREL_RELEASE_DATE)
set(GANTREL_RELEASE_SUMMARY)
set(GANTREL_RELEASE_CHANGES)
# A list item is complete at the next item, heading or section.
macro(gantrel_end_change)
    if(gantrel_change)
        list(APPEND GANTREL_RELEASE_CHANGES "${gantrel_change}")
        set(gantrel_change)
    endif()
endmacro()
foreach(line IN LISTS gantrel_changelog_lines)
    string(REPLACE ";" "\\;" line "${line}")  # one list element, whatever the text holds
    if(NOT gantrel_section_found)
        if(line MATCHES "^## \\[${gantrel_version_pattern}\\] - ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
            set(GANTREL_RELEASE_DATE ${CMAKE_MATCH_1})
            set(gantrel_section_found TRUE)
        endif()
    elseif(line MATCHES "^## ")
        break()
    elseif(line MATCHES "^### (.+)$")
        gantrel_end_change()
        set(gantrel_kind ${CMAKE_MATCH_1})
    elseif(line MATCHES "^- (.+)$")
        gantrel_end_change()
        set(gantrel_change "${gantrel_kind}: ${CMAKE_MATCH_1}")
    elseif(line MATCHES "^ +(.+)$" AND gantrel_change)
        string(APPEND gantrel_change " ${CMAKE_MATCH_1}")
    elseif(NOT line STREQUAL "" AND NOT gantrel_kind)
        string(STRIP "${GANTREL_RELEASE_SUMMARY} ${line}" GANTREL_RELEASE_SUMMARY)
    endif()
endforeach()
gantrel_end_change()
if(NOT GANTREL_RELEASE_DATE OR NOT GANTREL_RELEASE_SUMMARY)
    message(FATAL_ERROR "CHANGELOG.md needs a section \"## [${PROJECT_VERSION}] - YYYY-MM-DD\" "
                        "that starts with a paragraph summing up the release")
endif()

# Days since 1970-01-01 of the release date in the proleptic Gregorian calendar, counted in
# eras of 400 years that start on 1 March, so that the leap day ends a year.
string(REGEX MATCH "^([0-9]+)-0?([0-9]+)-0?([0-9]+)$" gantrel_date "${GANTREL_RELEASE_DATE}")
set(gantrel_year ${CMAKE_MATCH_1})
set(gantrel_month ${CMAKE_MATCH_2})
set(gantrel_day ${CMAKE_MATCH_3})
if(gantrel_month LESS_EQUAL 2)
    math(EXPR gantrel_era_year "${gantrel_year} - 1")
    math(EXPR gantrel_month_index "${gantrel_month} + 9")
else()
    set(gantrel_era_year ${gantrel_year})
    math(EXPR gantrel_month_index "${gantrel_month} - 3")
endif()
math(EXPR gantrel_era "${gantrel_era_year} / 400")
math(EXPR gantrel_year_of_era "${gantrel_era_year} - ${gantrel_era} * 400")
math(EXPR gantrel_days "${gantrel_era} * 146097 + ${gantrel_year_of_era} * 365 \
    + ${gantrel_year_of_era} / 4 - ${gantrel_year_of_era} / 100 \
    + (153 * ${gantrel_month_index} + 2) / 5 + ${gantrel_day} - 1 - 719468")
math(EXPR GANTREL_RELEASE_EPOCH "${gantrel_days} * 86400")

set(gantrel_weekdays Thu Fri Sat Sun Mon Tue Wed)  # 1970-01-01 was a Thursday
set(gantrel_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
math(EXPR gantrel_weekday "${gantrel_days} % 7")
math(EXPR gantrel_month_number "${gantrel_month} - 1")
list(GET gantrel_weekdays ${gantrel_weekday} gantrel_weekday_name)
list(GET gantrel_months ${gantrel_month_number} gantrel_month_name)
set(gantrel_day_padded ${gantrel_day})
if(gantrel_day LESS 10)
    set(gantrel_day_padded 0${gantrel_day})
endif()
set(GANTREL_RELEASE_RFC_DATE
    "${gantrel_weekday_name}, ${gantrel_day_padded} ${gantrel_month_name} ${gantrel_year} 00:00:00 +0000")
