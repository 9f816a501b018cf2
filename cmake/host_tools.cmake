# The content generators run on the build machine: when cross-compiling, the same source tree is built
# for the host in <build>/host-tools (tools only) and the content targets run those executables.
include(ExternalProject)

set(kv_host_tool_names fontc bigfontc statsgen pagec skingen modulegen tunegen)
set(KV_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools/bin CACHE INTERNAL "")
set(kv_host_tool_files "")
foreach(tool IN LISTS kv_host_tool_names)
  list(APPEND kv_host_tool_files ${KV_HOST_TOOLS_DIR}/${tool})
endforeach()

ExternalProject_Add(kv_host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/host-tools
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DKV_PLATFORM=headless -DKV_TESTS=OFF -DKV_BENCH=OFF
             -DKV_WERROR=${KV_WERROR} -DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${KV_HOST_TOOLS_DIR}
             -DCMAKE_CXX_COMPILER_LAUNCHER=$ENV{CMAKE_CXX_COMPILER_LAUNCHER}
             -DCMAKE_C_COMPILER_LAUNCHER=$ENV{CMAKE_C_COMPILER_LAUNCHER}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${kv_host_tool_names}
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${kv_host_tool_files}
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
