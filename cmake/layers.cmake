# Runs cmake/check_layers.cmake before any layer of the module is compiled,
# and again whenever one of their sources changes: an include from a lower
# layer into a higher one fails the build. pulvax_layer(target) puts a
# library behind the check.
set(pulvax_layer_script ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake)
file(GLOB_RECURSE pulvax_layer_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/shared/*.h ${PROJECT_SOURCE_DIR}/shared/*.cpp
  ${PROJECT_SOURCE_DIR}/params/*.h ${PROJECT_SOURCE_DIR}/params/*.cpp
  ${PROJECT_SOURCE_DIR}/effect/*.h ${PROJECT_SOURCE_DIR}/effect/*.cpp
  ${PROJECT_SOURCE_DIR}/host/*.h ${PROJECT_SOURCE_DIR}/host/*.cpp)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/layers.checked
  COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${CMAKE_BINARY_DIR}/layers.checked
    -P ${pulvax_layer_script}
  DEPENDS ${pulvax_layer_sources} ${pulvax_layer_script}
  COMMENT "Checking the module's includes against its layers"
  VERBATIM)
add_custom_target(pulvax_layers DEPENDS ${CMAKE_BINARY_DIR}/layers.checked)

function(pulvax_layer target)
  add_dependencies(${target} pulvax_layers)
endfunction()
