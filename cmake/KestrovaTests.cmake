# One test program per folder below tests/. The folder's prefix says what it
# may link: gui_* the window, render_* the drawn views, anything else the core.
find_package(GTest REQUIRED)
include(GoogleTest)

set(KESTROVA_TEST_DATA ${CMAKE_SOURCE_DIR}/tests/data)
file(GLOB TEST_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir ${TEST_DIRS})
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(name ${dir} NAME)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  if(NOT sources OR name STREQUAL "data")
    continue()
  endif()
  set(target test_${name})
  add_executable(${target} ${sources} ${CMAKE_SOURCE_DIR}/tests/test_support.h)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(name MATCHES "^gui")
    target_link_libraries(${target} PRIVATE kestrova_gui Qt6::Test)
  elseif(name MATCHES "^render")
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
