# The known-control catalogue lives in immunity/catalogue.tsv, one row per
# control with the status and source of its CLSID. This file turns it into the
# constant table kCatalogue at configure time, with CMake alone, so the same
# table comes out of every build (GCC, MinGW, MSVC) and editing the TSV is all
# it takes to change the catalogue: CMake re-runs when the TSV changes.
#
# Columns: row, category, name, clsid, status, source.
#   status given      the CLSID is fixed by the product's own definition of the catalogue
#          confirmed  a public source pairs this CLSID with the product (see source)
#          doubtful   a weaker source (another version, an inferred pairing)
#          none       no real CLSID is known: the clsid column stays empty and the
#                     row gets a placeholder of Trova's own (below)
#
# Placeholders are name-based UUIDs (SHA-1, RFC 4122 version 5) under the
# project's namespace, of the text "<row>:<name>", upper case, in braces. They
# are deterministic, cannot be mistaken for a real control's CLSID and differ
# from every other row's. The namespace is itself the version-5 UUID of the URL
# "https://trova.example.com/known-controls" under the RFC 4122 URL namespace.

set(TROVA_CATALOGUE_NAMESPACE "C95FC326-DA70-5308-8370-B99F4E6498B8")
set(_cat_tsv ${CMAKE_CURRENT_SOURCE_DIR}/immunity/catalogue.tsv)
set(_cat_out ${CMAKE_CURRENT_BINARY_DIR}/immunity/known_controls_table.cpp)
set(_cat_rows_expected 782)

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_cat_tsv} ${CMAKE_CURRENT_LIST_FILE})

# The body of a wide string literal for `text`: backslash and quote escaped.
# Names stay UTF-8, as in every other source file (GCC reads UTF-8, MSVC is
# given /utf-8). Tabs and line ends cannot reach here: they split the TSV.
function(_trova_wide_literal text row out)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# file(STRINGS) escapes the semicolons inside a line; list operations that
# rebuild the list would lose that, so the lines are only ever iterated.
file(STRINGS ${_cat_tsv} _cat_lines ENCODING UTF-8)

set(_h "[0-9A-Fa-f]")
set(_clsid_re "^{${_h}${_h}${_h}${_h}${_h}${_h}${_h}${_h}-${_h}${_h}${_h}${_h}-${_h}${_h}${_h}${_h}-${_h}${_h}${_h}${_h}-${_h}${_h}${_h}${_h}${_h}${_h}${_h}${_h}${_h}${_h}${_h}${_h}}$")

set(_cat_body "")
set(_cat_count 0)
set(_cat_header TRUE)
foreach(_line IN LISTS _cat_lines)
  if(_cat_header)
    if(NOT _line MATCHES "^row\tcategory\tname\tclsid\tstatus\tsource")
      message(FATAL_ERROR "catalogue.tsv: the first line must name the columns")
    endif()
    set(_cat_header FALSE)
    continue()
  endif()
  string(REGEX REPLACE "\r$" "" _line "${_line}")  # a checkout with CR LF line ends
  if(_line STREQUAL "")
    continue()
  endif()
  # The source column may hold anything, semicolons included, so the fields are
  # taken with one match instead of splitting the line into a list.
  if(NOT _line MATCHES "^([0-9]+)\t([0-9]+)\t([^\t]+)\t([^\t]*)\t([a-z]+)(\t|$)")
    message(FATAL_ERROR "catalogue.tsv: cannot read the line \"${_line}\"")
  endif()
  set(_row ${CMAKE_MATCH_1})
  set(_category ${CMAKE_MATCH_2})
  set(_name "${CMAKE_MATCH_3}")
  set(_clsid "${CMAKE_MATCH_4}")
  set(_status ${CMAKE_MATCH_5})

  if(NOT _row EQUAL _cat_count)
    message(FATAL_ERROR "catalogue.tsv: row ${_row} stands where row ${_cat_count} belongs")
  endif()
  if(_category GREATER 2)
    message(FATAL_ERROR "catalogue.tsv row ${_row}: category ${_category} is not 0, 1 or 2")
  endif()

  if(_status STREQUAL "none")
    if(NOT _clsid STREQUAL "")
      message(FATAL_ERROR "catalogue.tsv row ${_row}: status none but a CLSID is given; "
                          "a confirmed CLSID needs the status confirmed (or doubtful) and its source")
    endif()
    string(UUID _uuid NAMESPACE ${TROVA_CATALOGUE_NAMESPACE} NAME "${_row}:${_name}" TYPE SHA1 UPPER)
    set(_clsid "{${_uuid}}")
    set(_enum Placeholder)
  elseif(_status STREQUAL "given")
    set(_enum Given)
  elseif(_status STREQUAL "confirmed")
    set(_enum Confirmed)
  elseif(_status STREQUAL "doubtful")
    set(_enum Doubtful)
  else()
    message(FATAL_ERROR "catalogue.tsv row ${_row}: unknown status \"${_status}\"")
  endif()
  if(NOT _clsid MATCHES "${_clsid_re}")
    message(FATAL_ERROR "catalogue.tsv row ${_row}: \"${_clsid}\" is not a CLSID in braces")
  endif()

  # One CLSID, one row. The registry ignores letter case, so neither does this.
  # Only rows whose CLSID the catalogue definition itself fixes may share one.
  string(TOUPPER "${_clsid}" _key)
  string(REGEX REPLACE "[{}]" "" _key "${_key}")
  if(DEFINED _cat_seen_${_key})
    set(_other ${_cat_seen_${_key}})
    if(NOT (_status STREQUAL "given" AND _cat_status_${_other} STREQUAL "given"))
      message(FATAL_ERROR "catalogue.tsv rows ${_other} and ${_row} share the CLSID ${_clsid}")
    endif()
  else()
    set(_cat_seen_${_key} ${_row})
  endif()
  set(_cat_status_${_row} ${_status})

  _trova_wide_literal("${_name}" ${_row} _literal)
  string(APPEND _cat_body "    {${_category}, L\"${_literal}\", L\"${_clsid}\", CatalogueStatus::${_enum}},\n")
  math(EXPR _cat_count "${_cat_count} + 1")
endforeach()

if(NOT _cat_count EQUAL _cat_rows_expected)
  message(FATAL_ERROR "catalogue.tsv holds ${_cat_count} rows, ${_cat_rows_expected} expected")
endif()

set(_cat_text "// Generated by src/immunity/generated.cmake from src/immunity/catalogue.tsv.\n")
string(APPEND _cat_text "// Edit the TSV, not this file.\n")
string(APPEND _cat_text "#include \"immunity/cisid.h\"\n\nnamespace trova {\n\n")
string(APPEND _cat_text "const CatalogueRow kCatalogue[kCatalogueRows] = {\n${_cat_body}};\n\n}  // namespace trova\n")

# Rewritten only when it changed, so an unchanged table is not compiled again.
set(_cat_old "")
if(EXISTS ${_cat_out})
  file(READ ${_cat_out} _cat_old)
endif()
if(NOT _cat_old STREQUAL _cat_text)
  file(WRITE ${_cat_out} "${_cat_text}")
endif()

target_sources(trova_core PRIVATE ${_cat_out})
