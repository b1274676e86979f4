# tamrik_format_binding(TARGET HEADERS FOLDER PROBE SOURCES file... LIBS lib...):
# a format's binding library, TARGET, over TARGET_headers, an interface
# library whose include path holds one folder of Debian's dpf-source (its
# clap/ or travesty/ headers) as <FOLDER/...>, through a link in the build
# tree, so nothing else of the package can be included. PROBE is a header
# the folder must have.
function(tamrik_format_binding target)
  cmake_parse_arguments(B "" "" "HEADERS;SOURCES;LIBS" ${ARGN})
  list(GET B_HEADERS 0 folder)
  list(GET B_HEADERS 1 probe)
  find_path(TAMRIK_HEADERS_${folder} ${probe} PATHS /usr/share/dpf/distrho/src/${folder} NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(headers ${CMAKE_CURRENT_BINARY_DIR}/include)
  file(MAKE_DIRECTORY ${headers})
  file(CREATE_LINK ${TAMRIK_HEADERS_${folder}} ${headers}/${folder} SYMBOLIC)
  add_library(${target}_headers INTERFACE)
  target_include_directories(${target}_headers SYSTEM INTERFACE ${headers})

  add_library(${target} STATIC ${B_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${target}_headers ${B_LIBS})
  target_compile_definitions(${target} PRIVATE TAMRIK_VERSION="${PROJECT_VERSION}")
endfunction()
