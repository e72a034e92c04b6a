# velmorin-cli's libraries for a Windows build, from the prefix that
# scripts/windows-libraries.sh fills (VELMORIN_WINDOWS_LIBRARIES): imported
# under the names Linux's find_package gives them, all static.
set(prefix ${VELMORIN_WINDOWS_LIBRARIES})
set(mingw_root /usr/${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686" OR CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  set(mingw_root /usr/i686-w64-mingw32)
endif()
function(velmorin_import_static name file)
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${file} INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)
endfunction()
velmorin_import_static(ZLIB::ZLIB ${mingw_root}/lib/libz.a)
velmorin_import_static(PNG::PNG ${prefix}/lib/libpng16.a)
set_target_properties(PNG::PNG PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
velmorin_import_static(GIF::GIF ${prefix}/lib/libgif.a)
velmorin_import_static(TinyGLTF::TinyGLTF ${prefix}/lib/libtinygltf.a)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)
