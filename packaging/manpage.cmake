# Writes one compressed manual page from a program's --help and --version:
#   cmake -DHELP2MAN=... -DGZIP=... -DPROGRAM=... -DNAME="one line" -DSOURCE="Sorvant 1.2.0"
#         -DOUTPUT=.../prog.1.gz -P manpage.cmake
# The help text is the only source; help2man turns its "Usage:", "Options:",
# "Environment:", "Files:" and "Examples:" into the usual sections. Two more
# headings that help2man leaves as sub-sections become sections of their own.
foreach(var HELP2MAN GZIP PROGRAM NAME SOURCE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "manpage.cmake needs -D${var}=")
  endif()
endforeach()

get_filename_component(page "${OUTPUT}" NAME_WLE) # prog.1
set(roff "${OUTPUT}.roff")
# The C locale for help2man's own words; the program's texts are English.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 LANGUAGE=
          ${HELP2MAN} --no-info --section=1 "--name=${NAME}" "--source=${SOURCE}"
          "--manual=User Commands" "--output=${roff}" "${PROGRAM}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "help2man could not make ${page} from ${PROGRAM} --help (${rc})")
endif()

file(READ "${roff}" text)
foreach(heading "Exit status" "See also")
  string(TOUPPER "${heading}" upper)
  string(REPLACE ".SS \"${heading}:\"" ".SH \"${upper}\"" text "${text}")
endforeach()
# Example commands stay on their lines, unfilled and unhyphenated, so that
# they can be copied as they stand.
string(REGEX REPLACE "\n(\\\\f\\(CW[^\n]*)" "\n.nf\n\\1\n.fi" text "${text}")
file(WRITE "${roff}" "${text}")

# Maximum compression and no name or time stamp inside, as Debian wants.
execute_process(COMMAND ${GZIP} -9nf "${roff}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip could not compress ${roff} (${rc})")
endif()
file(RENAME "${roff}.gz" "${OUTPUT}")
