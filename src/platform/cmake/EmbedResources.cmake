# velmorin_embed_resources(TARGET SCRIPT file.rc HEADER resource.h [FILES a.bmp b.ico ...])
# Builds the resource script, its header and the files it names into TARGET,
# where the layer's core finds them by number. FILES are relative to the
# script's folder, as the script names them.
set(VELMORIN_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_resources_script.cmake CACHE INTERNAL "")

function(velmorin_embed_resources target)
  cmake_parse_arguments(ARG "" "SCRIPT;HEADER" "FILES" ${ARGN})
  get_filename_component(folder ${ARG_SCRIPT} DIRECTORY)
  set(inputs ${ARG_SCRIPT} ${ARG_HEADER})
  foreach(file ${ARG_FILES})
    list(APPEND inputs ${folder}/${file})
  endforeach()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  string(REPLACE ";" "|" file_list "${ARG_FILES}")  # one argument on the command line
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DSCRIPT=${ARG_SCRIPT} -DHEADER=${ARG_HEADER}
            "-DFILES=${file_list}" -P ${VELMORIN_EMBED_SCRIPT}
    DEPENDS ${inputs} ${VELMORIN_EMBED_SCRIPT}
    COMMENT "Embedding the resources of ${target}" VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# The viewer's own resources, for the viewer and every program that runs its WinMain.
function(velmorin_embed_viewer_resources target)
  velmorin_embed_resources(${target}
    SCRIPT ${PROJECT_SOURCE_DIR}/res/velmorin.rc
    HEADER ${PROJECT_SOURCE_DIR}/res/resource.h
    FILES toolbar.bmp velmorin.ico)
endfunction()
