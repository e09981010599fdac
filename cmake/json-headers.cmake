# Debian's header-only nlohmann-json3-dev (tools/bootstrap installs it), for the programs that
# write JSON. Its headers lie in /usr/include among the build machine's own, which the cross
# compiler must never find in place of its own: only a link to the nlohmann folder goes on the
# include path, through the target json_headers.
set(TARN_JSON_HEADERS /usr/include/nlohmann)
if(NOT EXISTS ${TARN_JSON_HEADERS}/json.hpp)
  message(FATAL_ERROR "${TARN_JSON_HEADERS}/json.hpp is missing: run tools/bootstrap (nlohmann-json3-dev)")
endif()
set(TARN_JSON_INCLUDE_DIR ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${TARN_JSON_INCLUDE_DIR})
file(CREATE_LINK ${TARN_JSON_HEADERS} ${TARN_JSON_INCLUDE_DIR}/nlohmann SYMBOLIC)
add_library(json_headers INTERFACE)
target_include_directories(json_headers SYSTEM INTERFACE ${TARN_JSON_INCLUDE_DIR})
