# Installs the build into PREFIX and checks that the programs, what a desktop
# menu needs, and the manual pages are there.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(path bin/velmorin bin/velmorin-cli share/applications/velmorin.desktop
             share/icons/hicolor/32x32/apps/velmorin.png share/icons/hicolor/128x128/apps/velmorin.png
             share/man/man1/velmorin.1.gz share/man/man1/velmorin-cli.1.gz share/doc/velmorin/copyright)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/velmorin.desktop entry)
if(NOT entry MATCHES "Exec=velmorin" OR NOT entry MATCHES "Icon=velmorin")
  message(FATAL_ERROR "the desktop entry does not start the viewer with its icon")
endif()
