# Checks that the module's sources include only from their own layer or the
# ones below it:
#
#   records  host/filter_api.h, host/win_types.h (the editor's records)
#   shared   shared/   the track table, the cached frame rate
#   params   params/   track_index, read_track, the tempo coupling
#   effect   effect/   the phase table, the resampling, scale_frame
#   host     host/     platform, callbacks, filter record, search path, entry
#
# and nothing of the module includes the tools, tests or benchmarks beside it.
#
#   cmake -DROOT=<source dir> [-DSTAMP=<file written on success>] -P check_layers.cmake
#
# Every include "a/b.h" that goes up a layer is named, and the run fails.
if(NOT DEFINED ROOT)
  message(FATAL_ERROR "check_layers: ROOT not given")
endif()

set(layer_names records shared params effect host outside)

# The layer number of a path relative to ROOT, or -1 for a path that is not
# the project's (a system or third-party header).
function(layer_of path out)
  if(path STREQUAL "host/filter_api.h" OR path STREQUAL "host/win_types.h")
    set(${out} 0 PARENT_SCOPE)
  elseif(path MATCHES "^shared/")
    set(${out} 1 PARENT_SCOPE)
  elseif(path MATCHES "^params/")
    set(${out} 2 PARENT_SCOPE)
  elseif(path MATCHES "^effect/")
    set(${out} 3 PARENT_SCOPE)
  elseif(path MATCHES "^host/")
    set(${out} 4 PARENT_SCOPE)
  elseif(path MATCHES "^(tools|tests|testhost|bench|fuzz|web)/")
    set(${out} 5 PARENT_SCOPE)
  else()
    set(${out} -1 PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE sources RELATIVE ${ROOT}
  ${ROOT}/shared/*.h ${ROOT}/shared/*.cpp
  ${ROOT}/params/*.h ${ROOT}/params/*.cpp
  ${ROOT}/effect/*.h ${ROOT}/effect/*.cpp
  ${ROOT}/host/*.h ${ROOT}/host/*.cpp)
list(SORT sources)

set(violations "")
foreach(source IN LISTS sources)
  layer_of(${source} own)
  file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
    layer_of(${included} theirs)
    if(theirs GREATER own)
      list(GET layer_names ${own} own_name)
      list(GET layer_names ${theirs} their_name)
      string(APPEND violations
        "  ${source} (${own_name}) includes ${included} (${their_name})\n")
    endif()
  endforeach()
endforeach()

if(NOT violations STREQUAL "")
  message(FATAL_ERROR
    "includes against the layers (records < shared < params < effect < host):\n"
    "${violations}")
endif()
if(DEFINED STAMP)
  file(WRITE ${STAMP} "")
endif()
