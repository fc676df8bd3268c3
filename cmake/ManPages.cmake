# Manual pages of the three commands, made from what each prints for --help (cmake/ManPage.cmake)
# whenever the command changes, and installed in share/man/man1; and the package's changelog.
set(man_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${man_dir})
set(man_script ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake)
set(man_pages)

function(add_man_page name summary command depends)
  set(page ${man_dir}/${name}.1.gz)
  set(others z1rpw3rk z1rpw3rk-peer z1rpw3rk-library-server)
  list(REMOVE_ITEM others ${name})
  # Lists travel to the script with "|" between their items.
  string(REPLACE ";" "|" command "${command}")
  string(REPLACE ";" "|" others "${others}")
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} "-DCOMMAND=${command}" -DNAME=${name} "-DSUMMARY=${summary}"
      -DVERSION=${PROJECT_VERSION} "-DSEE_ALSO=${others}" -DOUTPUT=${page} -P ${man_script}
    DEPENDS ${depends} ${man_script}
    COMMENT "Manual page of ${name}" VERBATIM)
  set(man_pages ${man_pages} ${page} PARENT_SCOPE)
endfunction()

add_man_page(z1rpw3rk "composer and player for two-voice beep melodies"
  "$<TARGET_FILE:z1rpw3rk>" z1rpw3rk)
add_man_page(z1rpw3rk-peer "play track 2 of a Z1rpW3rk on another computer"
  "$<TARGET_FILE:z1rpw3rk-peer>" z1rpw3rk-peer)
find_program(PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT PYTHON3)
  find_program(PYTHON3 python3 REQUIRED)
endif()
add_man_page(z1rpw3rk-library-server "song library (FTP server) for Z1rpW3rk"
  "${PYTHON3};${CMAKE_CURRENT_BINARY_DIR}/z1rpw3rk-library-server"
  ${CMAKE_CURRENT_BINARY_DIR}/z1rpw3rk-library-server)

# The Debian changelog, compressed as the package keeps it.
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND sh -c "gzip -9n < '${CMAKE_CURRENT_SOURCE_DIR}/resources/desktop/changelog' > '${changelog}'"
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/desktop/changelog VERBATIM)

add_custom_target(man_pages ALL DEPENDS ${man_pages} ${changelog})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/z1rpw3rk)
