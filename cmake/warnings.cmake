# Strict warnings for every target of ours; errors when KV_WERROR is on (CI).
add_library(kv_warnings INTERFACE)
target_compile_options(kv_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
if(KV_WERROR)
  target_compile_options(kv_warnings INTERFACE -Werror)
  # GCC 12 at -O3 reports null dereferences and overlapping copies inside libstdc++'s own inlined
  # stream and string code (false positives); they stay visible but do not stop the build.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(kv_warnings INTERFACE -Wno-error=null-dereference -Wno-error=restrict)
  endif()
endif()

# kv_library(name SOURCES...): one static library per subsystem folder.
function(kv_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC kv_root_includes PRIVATE kv_warnings)
endfunction()

# kv_add_child_dirs(): adds every direct subfolder that has a CMakeLists.txt, so that a new tool,
# test suite, benchmark or content kind is picked up by creating its folder.
function(kv_add_child_dirs)
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# kv_build_tool(file_var depends_var tool): the executable of a build-time tool and what a command running
# it depends on: the tool target itself, or its host build when cross-compiling (cmake/host_tools.cmake).
function(kv_build_tool file_var depends_var tool)
  if(CMAKE_CROSSCOMPILING)
    set(${file_var} ${KV_HOST_TOOLS_DIR}/${tool} PARENT_SCOPE)
    set(${depends_var} kv_host_tools ${KV_HOST_TOOLS_DIR}/${tool} PARENT_SCOPE)
  else()
    set(${file_var} $<TARGET_FILE:${tool}> PARENT_SCOPE)
    set(${depends_var} ${tool} PARENT_SCOPE)
  endif()
endfunction()

# kv_content_library(name TOOL tool OUTPUT generated.cpp ARGS args... [DEPENDS files...] [HEADERS h...]
#                    COMMENT text): runs a build-time tool that writes generated.cpp (a full path in the
# build tree) and makes the static library name from it. ARGS are the tool's arguments in its order.
function(kv_content_library name)
  cmake_parse_arguments(G "" "TOOL;OUTPUT;COMMENT" "ARGS;DEPENDS;HEADERS" ${ARGN})
  kv_build_tool(tool_file tool_depends ${G_TOOL})
  add_custom_command(
    OUTPUT ${G_OUTPUT}
    COMMAND ${tool_file} ${G_ARGS}
    DEPENDS ${tool_depends} ${G_DEPENDS}
    COMMENT "${G_COMMENT}"
    VERBATIM)
  kv_library(${name} ${G_OUTPUT} ${G_HEADERS})
endfunction()
