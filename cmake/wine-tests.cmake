# Every Windows test runs in the build's private prefix, with one wineserver kept up for the
# whole run: the fixture below starts it before the first test and stops it after the last.
add_test(NAME wine.start COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-prefix start ${TARN_WINEPREFIX} ${TARN_WINEARCH})
add_test(NAME wine.stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-prefix stop ${TARN_WINEPREFIX} ${TARN_WINEARCH})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# tarn_add_test(NAME target [E2E] [FIXTURES f...])
#   Registers a GoogleTest program. E2E tests share the agent's registry key and the status
#   mailslot, so they never run beside each other.
function(tarn_add_test name)
  cmake_parse_arguments(ARG "E2E" "" "FIXTURES" ${ARGN})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "wine;${ARG_FIXTURES}" TIMEOUT 600)
  if(ARG_E2E)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK agent_machine_state)
  endif()
endfunction()
