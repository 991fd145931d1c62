# Micro-benchmarks (Google Benchmark), one program per file in bench/.
find_package(benchmark REQUIRED)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE kestrova_render benchmark::benchmark)
  # The grid benchmarks drive the window itself.
  if(name MATCHES "^bench_(grids|window)")
    target_link_libraries(${name} PRIVATE kestrova_gui)
    add_dependencies(${name} kestrova_data)
  endif()
endforeach()
