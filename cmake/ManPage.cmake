# Writes a man page (gzip-compressed) from what a program prints for --help, so that the page
# and the program say the same. Run as a script:
#   cmake -DCOMMAND=<program|args> -DNAME=<command name> -DSUMMARY=<one line> -DVERSION=<v>
#         -DSEE_ALSO=<name|name> -DOUTPUT=<file.1.gz> -P ManPage.cmake
# The help's first paragraph (its usage lines) becomes the synopsis, the rest the description,
# kept as printed.

string(REPLACE "|" ";" COMMAND "${COMMAND}")
string(REPLACE "|" ";" SEE_ALSO "${SEE_ALSO}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LC_ALL --unset=LC_MESSAGES LANG=C.UTF-8
    QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy COLUMNS=80 ${COMMAND} --help
  OUTPUT_VARIABLE help RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${NAME} --help failed (${result}): ${errors}")
endif()

# troff: a backslash is \e, a minus sign \-, a line starting with a dot or quote is escaped.
function(troff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(REGEX REPLACE "\n+$" "" help "${help}")
string(FIND "${help}" "\n\n" split)
if(split LESS 0)
  set(usage "${help}")
  set(rest "")
else()
  string(SUBSTRING "${help}" 0 ${split} usage)
  math(EXPR from "${split} + 2")
  string(SUBSTRING "${help}" ${from} -1 rest)
endif()
# "Usage: " (and its indentation on the following lines) belongs to no synopsis.
string(REGEX REPLACE "^[Uu]sage: *" "" usage "${usage}")
string(REGEX REPLACE "\n +" "\n" usage "${usage}")
troff("${usage}" usage)
troff("${rest}" rest)
string(TOUPPER "${NAME}" title)
troff("${NAME}" name)
troff("${SUMMARY}" summary)

set(see "")
foreach(other ${SEE_ALSO})
  troff("${other}" other)
  if(see)
    string(APPEND see ",\n")
  endif()
  string(APPEND see ".BR ${other} (1)")
endforeach()

set(page ".TH ${title} 1 \"\" \"Z1rpW3rk ${VERSION}\" \"User Commands\"
.SH NAME
${name} \\- ${summary}
.SH SYNOPSIS
.nf
${usage}
.fi
.SH DESCRIPTION
.nf
${rest}
.fi
")
if(see)
  string(APPEND page ".SH SEE ALSO\n${see}\n")
endif()

string(REGEX REPLACE "\\.gz$" "" plain "${OUTPUT}")
file(WRITE "${plain}" "${page}")
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${plain}")
endif()
