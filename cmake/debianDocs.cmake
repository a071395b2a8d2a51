# Writes the Debian package's documents into OUT (cmake -P; the arguments come
# from cmake/package.cmake): `copyright`, LICENSE in Debian's machine-readable
# format followed by the paragraphs of THIRD_PARTY (those of code built into
# the programs), and `changelog.gz`, CHANGELOG.md in Debian's changelog format,
# compressed as Debian's policy wants (gzip -9n: no name, no time stamp).
# Each "## X.Y.Z (YYYY-MM-DD)" section of CHANGELOG.md becomes an entry signed
# by MAINTAINER on that day; its paragraphs and "###" headings become items
# and its list items sub-items, wrapped to fit 80 columns.
file(MAKE_DIRECTORY ${OUT})

# The lines of a text file, blank ones kept, into the list `out`. A semicolon,
# CMake's list separator, is carried as the character 0x1A until written.
string(ASCII 26 semicolon)
function(read_lines out path)
  file(READ ${path} text)
  string(REPLACE ";" "${semicolon}" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(write_text path text)
  string(REPLACE "${semicolon}" ";" text "${text}")
  file(WRITE ${path} "${text}")
endfunction()

# copyright: the holder and year from LICENSE's copyright line, its text as
# the licence's, each line indented by one space and blank lines as " .".
read_lines(licence ${LICENSE})
set(copyright "")
set(body "")
foreach(line IN LISTS licence)
  if(line MATCHES "^Copyright \\(c\\) (.+)$")
    set(copyright "${CMAKE_MATCH_1}")
  elseif(copyright AND line STREQUAL "")
    string(APPEND body " .\n")
  elseif(copyright)
    string(APPEND body " ${line}\n")
  endif()
endforeach()
if(NOT copyright)
  message(FATAL_ERROR "${LICENSE} has no line \"Copyright (c) YEAR HOLDER\"")
endif()
string(REGEX REPLACE "^ \\.\n" "" body "${body}")
file(READ ${THIRD_PARTY} thirdParty)
string(REPLACE ";" "${semicolon}" thirdParty "${thirdParty}")
write_text(${OUT}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${NAME}

Files: *
Copyright: ${copyright}
License: Expat
${body}
${thirdParty}")

# Appends `text` to `out`, wrapped at 79 columns: the first line after
# `first`, the others after `rest`.
function(append_wrapped out first rest text)
  string(REGEX REPLACE "[ \n]+" ";" words "${text}")
  set(line "${first}")
  set(result "")
  set(fresh TRUE)
  foreach(word IN LISTS words)
    string(LENGTH "${line} ${word}" length)
    if(fresh)
      string(APPEND line "${word}")
      set(fresh FALSE)
    elseif(length GREATER 79)
      string(APPEND result "${line}\n")
      set(line "${rest}${word}")
    else()
      string(APPEND line " ${word}")
    endif()
  endforeach()
  set(${out} "${${out}}${result}${line}\n" PARENT_SCOPE)
endfunction()

# RFC 5322 date of YYYY-MM-DD at noon UTC; the weekday by Zeller's congruence.
function(debian_date out year month day)
  math(EXPR m "${month}")
  math(EXPR y "${year}")
  if(m LESS 3)
    math(EXPR m "${m} + 12")
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${day} + (13 * (${m} + 1)) / 5 + ${y} + ${y} / 4 - ${y} / 100 + ${y} / 400) % 7")
  set(weekdays Sat Sun Mon Tue Wed Thu Fri)
  list(GET weekdays ${weekday} weekdayName)
  math(EXPR monthIndex "${month} - 1")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET months ${monthIndex} monthName)
  set(${out} "${weekdayName}, ${day} ${monthName} ${year} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

# One paragraph or list item of the section being read, flushed when it ends.
set(entries "")
set(paragraph "")
set(paragraphKind "")
set(signature "")
macro(flush_paragraph)
  string(STRIP "${paragraph}" paragraph)
  if(paragraphKind STREQUAL "item")
    append_wrapped(entries "    - " "      " "${paragraph}")
  elseif(paragraphKind STREQUAL "text")
    append_wrapped(entries "  * " "    " "${paragraph}")
  endif()
  set(paragraph "")
  set(paragraphKind "")
endmacro()
macro(end_entry)
  flush_paragraph()
  if(signature)
    string(APPEND entries "\n${signature}\n")
    set(signature "")
  endif()
endmacro()

read_lines(changes ${CHANGELOG})
set(entryCount 0)
foreach(line IN LISTS changes)
  # Markdown's backticks and escapes mean nothing in plain text.
  string(REGEX REPLACE "[`\\\\]" "" line "${line}")
  if(line MATCHES "^## ")
    end_entry()
    if(NOT line MATCHES "^## ([0-9][0-9.]*) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
      message(FATAL_ERROR "${CHANGELOG}: '${line}' is not '## X.Y.Z (YYYY-MM-DD)'")
    endif()
    set(version ${CMAKE_MATCH_1})
    debian_date(date ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
    if(entryCount EQUAL 0 AND NOT version STREQUAL VERSION)
      message(FATAL_ERROR "${CHANGELOG}: the newest section is ${version}, not ${VERSION}")
    endif()
    if(entryCount GREATER 0)
      string(APPEND entries "\n")
    endif()
    math(EXPR entryCount "${entryCount} + 1")
    string(APPEND entries "${PACKAGE} (${version}) unstable; urgency=medium\n\n")
    set(signature " -- ${MAINTAINER}  ${date}")
  elseif(entryCount EQUAL 0)
    # The file's own heading and introduction.
  elseif(line MATCHES "^### (.*)$")
    flush_paragraph()
    set(paragraph "${CMAKE_MATCH_1}:")
    set(paragraphKind "text")
    flush_paragraph()
  elseif(line MATCHES "^- (.*)$")
    flush_paragraph()
    set(paragraph "${CMAKE_MATCH_1}")
    set(paragraphKind "item")
  elseif(line STREQUAL "")
    flush_paragraph()
  else()
    if(NOT paragraphKind)
      set(paragraphKind "text")
    endif()
    string(STRIP "${line}" line)
    string(APPEND paragraph " ${line}")
  endif()
endforeach()
end_entry()
if(entryCount EQUAL 0)
  message(FATAL_ERROR "${CHANGELOG} has no section '## X.Y.Z (YYYY-MM-DD)'")
endif()

write_text(${OUT}/changelog "${entries}")
file(REMOVE ${OUT}/changelog.gz)
execute_process(COMMAND gzip -9n changelog WORKING_DIRECTORY ${OUT} COMMAND_ERROR_IS_FATAL ANY)
