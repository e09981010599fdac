# Every Windows test runs in the build's private prefix, with one wineserver kept up for the
# whole run: the fixture below starts it before the first test and stops it after the last.
add_test(NAME wine.start COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-prefix start ${TARN_WINEPREFIX})
add_test(NAME wine.stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-prefix stop ${TARN_WINEPREFIX})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# tarn_add_test(NAME target [E2E] [FIXTURES f...] [EMULATED gtest-filter])
#   Registers a GoogleTest program. E2E tests share the agent's registry key and the status
#   mailslot, so they never run beside each other. EMULATED also registers NAME.emulated, with
#   the label "emulated", running the cases the filter names: what differs between the
#   architectures, which a run of the i686 programs under full-system emulation takes alone.
function(tarn_add_test name)
  cmake_parse_arguments(ARG "E2E" "EMULATED" "FIXTURES" ${ARGN})
  set(variants ${name})
  if(ARG_EMULATED)
    list(APPEND variants ${name}.emulated)
    add_test(NAME ${name}.emulated COMMAND ${name} --gtest_color=no --gtest_filter=${ARG_EMULATED})
    set_tests_properties(${name}.emulated PROPERTIES LABELS emulated)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  # GoogleTest passes a run whose filter selects nothing (this version has no switch against
  # that): a filter that names tests no longer there would pass without testing anything.
  set_tests_properties(${variants} PROPERTIES FIXTURES_REQUIRED "wine;${ARG_FIXTURES}" TIMEOUT 600
                       FAIL_REGULAR_EXPRESSION "\\[=+\\] Running 0 tests from")
  if(ARG_E2E)
    set_tests_properties(${variants} PROPERTIES RESOURCE_LOCK agent_machine_state)
  endif()
endfunction()
