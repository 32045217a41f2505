# Compiles the observed ΔT of data/delta-t.tsv into the precise model
# (astro/precise/DeltaT.h, kDeltaTRecord): a measured value added there is
# one more line of that file, read again at the next build.
# Sets DELTA_T_RECORD_SOURCE to the generated source.
set(_tsv ${CMAKE_SOURCE_DIR}/data/delta-t.tsv)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_tsv})
file(STRINGS ${_tsv} _lines ENCODING UTF-8)
set(_rows "")
foreach(_line IN LISTS _lines)
  if(_line MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\t(-?[0-9]+(\\.[0-9]+)?)$")
    set(_year ${CMAKE_MATCH_1})
    set(_value ${CMAKE_MATCH_4})
    set(_month ${CMAKE_MATCH_2})
    set(_day ${CMAKE_MATCH_3})
    string(REGEX REPLACE "^0" "" _month "${_month}")
    string(REGEX REPLACE "^0" "" _day "${_day}")
    string(APPEND _rows "    {${_year}, ${_month}, ${_day}, ${_value}},\n")
  elseif(NOT _line MATCHES "^#" AND NOT _line STREQUAL "date\tdelta_t")
    message(FATAL_ERROR "data/delta-t.tsv: not a date and a value: '${_line}'")
  endif()
endforeach()
set(DELTA_T_RECORD_SOURCE ${CMAKE_BINARY_DIR}/generated/DeltaTRecord.cpp)
file(CONFIGURE OUTPUT ${DELTA_T_RECORD_SOURCE} CONTENT
"// Made by cmake/DeltaTRecord.cmake from data/delta-t.tsv at configure time.
#include \"astro/precise/DeltaT.h\"

namespace precise {

const DeltaTRow kDeltaTRecordRows[] = {
${_rows}};
const std::span<const DeltaTRow> kDeltaTRecord = kDeltaTRecordRows;

}  // namespace precise
" @ONLY)
