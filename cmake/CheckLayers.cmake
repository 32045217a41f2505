# Fails when a folder includes a header of a folder at its own layer or above.
# Run as: cmake -DSOURCE_DIR=<repo> -P cmake/CheckLayers.cmake
# Layers, lowest first, siblings joined by "|"; a folder may include its own
# headers and those of any lower layer. A subfolder that is part of its
# folder's own subsystem (the precise model in astro/precise) counts as the
# folder itself.
set(layers
    "core"
    "astro"
    "signs|holidays|places"
    "caldb"
    "almanac|yearlist|sky"
    "astrodata|ical"
    "cli|widgets"
    "caldb/ui|yearlist/ui|sky/ui|astrodata/ui"
    "view/ui"
    "app")

set(rank 0)
set(sources "")
foreach(layer IN LISTS layers)
  string(REPLACE "|" ";" folders "${layer}")
  foreach(folder IN LISTS folders)
    set(rank_${folder} ${rank})
    file(GLOB found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
    if(folder STREQUAL "astro")
      file(GLOB precise RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/astro/precise/*.cpp ${SOURCE_DIR}/astro/precise/*.h)
      list(APPEND found ${precise})
    endif()
    list(APPEND sources ${found})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

set(failures "")
foreach(source IN LISTS sources)
  get_filename_component(folder ${source} DIRECTORY)
  string(REGEX REPLACE "^astro/precise$" "astro" folder "${folder}")
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"[a-z]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"(.*)/[^/]*\".*" "\\1" target "${line}")
    string(REGEX REPLACE "^astro/precise$" "astro" target "${target}")
    if(target STREQUAL folder)
      continue()
    endif()
    if(NOT DEFINED rank_${target} OR NOT rank_${target} LESS rank_${folder})
      list(APPEND failures "${source}: ${line}")
    endif()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "includes against the layering (see docs/ARCHITECTURE.md):\n  ${text}")
endif()
message(STATUS "layering: every include points to the folder itself or a lower layer")
