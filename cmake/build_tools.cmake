# The tools the build runs (tools/build_tools): part of this build when it is native, a project
# of their own for the build machine when cross-building. Either way they are targets named
# after the tool, usable as a custom command's COMMAND and DEPENDS.
set(GLAXEN_BUILD_TOOLS embed_files icon_ico)
if(NOT CMAKE_CROSSCOMPILING)
  add_subdirectory(tools/build_tools)
  return()
endif()

include(ExternalProject)
set(tools_dir ${PROJECT_BINARY_DIR}/build_tools)
set(tool_files)
foreach(tool ${GLAXEN_BUILD_TOOLS})
  list(APPEND tool_files ${tools_dir}/${tool})
endforeach()
ExternalProject_Add(build_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/build_tools
  BINARY_DIR ${tools_dir}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${tool_files})
foreach(tool ${GLAXEN_BUILD_TOOLS})
  add_executable(${tool} IMPORTED GLOBAL)
  set_target_properties(${tool} PROPERTIES IMPORTED_LOCATION ${tools_dir}/${tool})
  add_dependencies(${tool} build_tools)
endforeach()
