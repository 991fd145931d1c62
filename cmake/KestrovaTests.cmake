# One test program per folder below tests/ that holds test sources. The
# folders mirror src/ (tests/core/calc tests src/core/calc, tests/batch the batch
# commands) and name the program: tests/core/calc -> test_core_calc. The first
# part of the path says what it may link: gui the window, render and batch the
# drawn views, core the core. Helpers of several folders sit at the top of tests/.
find_package(GTest REQUIRED)
include(GoogleTest)

set(KESTROVA_TEST_DATA ${CMAKE_SOURCE_DIR}/tests/data)
file(GLOB_RECURSE TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
set(TEST_DIRS)
foreach(src ${TEST_SOURCES})
  get_filename_component(dir ${src} DIRECTORY)
  list(APPEND TEST_DIRS ${dir})
endforeach()
list(REMOVE_DUPLICATES TEST_DIRS)
foreach(dir ${TEST_DIRS})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${dir})
  if(rel STREQUAL "" OR rel MATCHES "^data(/|$)")
    continue()
  endif()
  string(REPLACE "/" "_" name "${rel}")
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  set(target test_${name})
  add_executable(${target} ${sources} ${CMAKE_SOURCE_DIR}/tests/test_support.h)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(name MATCHES "^gui")
    target_link_libraries(${target} PRIVATE kestrova_gui Qt6::Test)
  elseif(name MATCHES "^(render|batch)")
    target_link_libraries(${target} PRIVATE kestrova_render)
  else()
    target_link_libraries(${target} PRIVATE kestrova_core)
  endif()
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    KESTROVA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KESTROVA_TEST_DATA="${KESTROVA_TEST_DATA}"
    KESTROVA_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  add_dependencies(${target} kestrova_data kestrova-batch)
  # Parameterised cases are named by their name generators; without
  # NO_PRETTY_VALUES a dump of the parameter would be appended to the name.
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endforeach()
