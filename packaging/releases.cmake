# nimbal_read_releases(CHANGELOG PREFIX MAINTAINER): reads the releases of
# CHANGELOG.md (its head describes the shape) and sets in the caller's
# scope:
#   PREFIX_VERSION, PREFIX_DATE  the newest release's version and date
#   PREFIX_DEBIAN                the Debian changelog of package nimbal-servo,
#                                every entry signed by MAINTAINER
#   PREFIX_METAINFO              the <release> elements of the AppStream
#                                metainfo
# The file is read as one string, line by line, and never as a CMake list,
# so that a ';' or a bracket in the text stays as it is.
function(nimbal_read_releases changelog prefix maintainer)
    file(READ "${changelog}" text)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${changelog}")
    set(debian "")
    set(metainfo "")
    set(newest_version "")
    set(newest_date "")
    set(version "")
    set(item "")

    # The item read so far goes to both outputs.
    macro(end_item)
        if(NOT item STREQUAL "")
            string(REPLACE "&" "&amp;" item "${item}")
            string(REPLACE "<" "&lt;" item "${item}")
            string(REPLACE ">" "&gt;" item "${item}")
            string(APPEND metainfo "          <li>${item}</li>\n")
            set(item "")
        endif()
    endmacro()
    macro(end_release)
        end_item()
        if(NOT version STREQUAL "")
            string(APPEND debian "\n -- ${maintainer}  ${rfc2822_date}\n")
            string(APPEND metainfo "        </ul>\n      </description>\n    </release>\n")
        endif()
    endmacro()

    string(APPEND text "\n")
    while(NOT text STREQUAL "")
        string(FIND "${text}" "\n" end)
        string(SUBSTRING "${text}" 0 ${end} line)
        math(EXPR end "${end} + 1")
        string(SUBSTRING "${text}" ${end} -1 text)
        # Code spans are plain text outside Markdown.
        string(REPLACE "`" "" line "${line}")

        if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) - (([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])) ([0-9][0-9]:[0-9][0-9]) UTC$")
            end_release()
            set(version ${CMAKE_MATCH_1})
            set(date ${CMAKE_MATCH_2})
            nimbal_rfc2822_date(${CMAKE_MATCH_3} ${CMAKE_MATCH_4} ${CMAKE_MATCH_5} ${CMAKE_MATCH_6}
                                rfc2822_date)
            if(newest_version STREQUAL "")
                set(newest_version ${version})
                set(newest_date ${date})
            else()
                string(APPEND debian "\n")
            endif()
            string(APPEND debian "nimbal-servo (${version}) unstable; urgency=medium\n\n")
            string(APPEND metainfo "    <release version=\"${version}\" date=\"${date}\">\n"
                                   "      <description>\n        <ul>\n")
        elseif(version STREQUAL "" OR line STREQUAL "")
            # The introduction before the first release, and blank lines.
        elseif(line MATCHES "^- (.+)$")
            end_item()
            set(item "${CMAKE_MATCH_1}")
            string(APPEND debian "  * ${CMAKE_MATCH_1}\n")
        elseif(line MATCHES "^  ([^ ].*)$" AND NOT item STREQUAL "")
            string(APPEND item " ${CMAKE_MATCH_1}")
            string(APPEND debian "    ${CMAKE_MATCH_1}\n")
        else()
            message(FATAL_ERROR "${changelog}: a line of release ${version} is neither "
                                "an item nor its continuation: \"${line}\"")
        endif()
    endwhile()
    end_release()

    if(newest_version STREQUAL "")
        message(FATAL_ERROR "${changelog}: no \"## VERSION - YYYY-MM-DD HH:MM UTC\" release heading")
    endif()
    set(${prefix}_VERSION "${newest_version}" PARENT_SCOPE)
    set(${prefix}_DATE "${newest_date}" PARENT_SCOPE)
    set(${prefix}_DEBIAN "${debian}" PARENT_SCOPE)
    set(${prefix}_METAINFO "${metainfo}" PARENT_SCOPE)
endfunction()

# nimbal_rfc2822_date(YEAR MONTH DAY HH:MM VAR): VAR = "Mon, 07 Dec 2026
# 12:00:00 +0000", the date form of a Debian changelog's signature line.
function(nimbal_rfc2822_date year month day time var)
    # The day of the week by Sakamoto's method (0 = Sunday).
    set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR month_index "${month} - 1")
    list(GET month_offsets ${month_index} offset)
    set(y ${year})
    if(month LESS 3)
        math(EXPR y "${y} - 1")
    endif()
    math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
    set(weekdays Sun Mon Tue Wed Thu Fri Sat)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(GET weekdays ${weekday} weekday_name)
    list(GET months ${month_index} month_name)
    set(${var} "${weekday_name}, ${day} ${month_name} ${year} ${time}:00 +0000" PARENT_SCOPE)
endfunction()
