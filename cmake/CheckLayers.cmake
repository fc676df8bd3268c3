# The program's layers, lowest first; a file may include headers of its own layer and of the
# layers below it, never of those above:
#
#   base/                        toolkit semantics: numbers, lists, errors, prompts
#   song/  settings/             the song document and its operations; the settings values
#                                and their store
#   audio/ files/ net/ tools/    the engines: sound, MIDI, files, network, composition tools
#   gui/                         the windows, their controls and handlers
#   app/                         the program and its command line
#
# Run as a test: cmake -DSOURCE_DIR=<source folder> -P cmake/CheckLayers.cmake
# It lists every include that reaches upwards and fails when there is one.
set(layer_base 0)
set(layer_song 1)
set(layer_settings 1)
set(layer_audio 2)
set(layer_files 2)
set(layer_net 2)
set(layer_tools 2)
set(layer_gui 3)
set(layer_app 4)
set(folders base song settings audio files net tools gui app)

set(violations "")
set(counted 0)
foreach(folder IN LISTS folders)
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target "${line}")
      if(NOT DEFINED layer_${target})
        continue()
      endif()
      math(EXPR counted "${counted} + 1")
      if(NOT target STREQUAL folder AND layer_${target} GREATER layer_${folder})
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        string(REGEX REPLACE "^#include " "" header "${line}")
        list(APPEND violations "${name} includes ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(LENGTH violations count)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "${count} includes reach a layer above their own:\n  ${text}")
endif()
message(STATUS "${counted} includes between folders, none reaching upwards")
