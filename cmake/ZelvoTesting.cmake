# zelvo_add_gtest(<target> SOURCES ... [LIBS ...] [QT] [THREADED] [OWN_MAIN] [TIMEOUT seconds]
#                 [RESOURCE_LOCK name])
#
# One GoogleTest executable whose cases CTest runs one process each, so every
# case starts from a fresh library state. QT marks tests that need a Qt
# platform: they get the offscreen platform and a private runtime folder here,
# never from the developer's shell. THREADED marks tests that the
# ThreadSanitizer run selects (label "threaded"). OWN_MAIN leaves out
# GoogleTest's main, for suites that must build an application object first.
# RESOURCE_LOCK runs the cases one at a time, never beside another case
# holding the same name (cases that share one server process, say).
# In the Windows flavour the executables, discovery included, run under Wine
# through the toolchain's CMAKE_CROSSCOMPILING_EMULATOR.

set(ZELVO_TEST_RUNTIME_DIR ${CMAKE_BINARY_DIR}/test-runtime)
file(MAKE_DIRECTORY ${ZELVO_TEST_RUNTIME_DIR})
file(CHMOD ${ZELVO_TEST_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

function(zelvo_add_gtest target)
  cmake_parse_arguments(T "QT;THREADED;OWN_MAIN" "TIMEOUT;RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  if(T_QT AND CMAKE_SYSTEM_NAME STREQUAL "Windows")
    message(FATAL_ERROR "${target}: the Windows flavour has no Qt")
  endif()
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
  endif()
  set(labels ${target})
  # A test that does not give the registry store a folder of its own still never
  # writes the developer's real one.
  set(env "ZELVO_TEST_BINARY_DIR=${CMAKE_CURRENT_BINARY_DIR}"
          "ZELVO_REGISTRY_DIR=${CMAKE_CURRENT_BINARY_DIR}/test-registry")
  if(T_QT)
    list(APPEND labels qt)
    list(APPEND env "QT_QPA_PLATFORM=offscreen" "XDG_RUNTIME_DIR=${ZELVO_TEST_RUNTIME_DIR}")
  endif()
  if(T_THREADED)
    list(APPEND labels threaded)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${target}_TESTS)
  # The discovery step cannot carry list-valued properties, so a second script,
  # read by CTest after the discovered list, sets them on every case.
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  file(WRITE ${script}
    "if(${target}_TESTS)\n"
    "  set_tests_properties(\${${target}_TESTS} PROPERTIES\n"
    "    LABELS \"${labels}\" ENVIRONMENT \"${env}\" TIMEOUT ${T_TIMEOUT})\n"
    "  if(NOT \"${T_RESOURCE_LOCK}\" STREQUAL \"\")\n"
    "    set_tests_properties(\${${target}_TESTS} PROPERTIES RESOURCE_LOCK \"${T_RESOURCE_LOCK}\")\n"
    "  endif()\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
