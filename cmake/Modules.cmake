# velmorant_module(folder deps...): a static library vm_<folder> of src/<folder>/*.cpp
# (main.cpp excluded). A folder without sources yet becomes an interface target, so
# later folders can name it already.
function(velmorant_module folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(deps)
  foreach(dep ${ARGN})
    list(APPEND deps vm_${dep})
  endforeach()
  if(sources)
    add_library(vm_${folder} STATIC ${sources})
    target_include_directories(vm_${folder} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(vm_${folder} PUBLIC ${deps} Threads::Threads)
  else()
    add_library(vm_${folder} INTERFACE)
    target_include_directories(vm_${folder} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(vm_${folder} INTERFACE ${deps} Threads::Threads)
  endif()
endfunction()

# velmorant_tests(folder): one GoogleTest executable <folder>_tests of tests/<folder>/*.cpp.
# Tests that start the program as a real process find it through VELMORANT_EXE.
function(velmorant_tests folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${folder}_tests ${sources})
  if(TARGET vm_${folder})
    target_link_libraries(${folder}_tests PRIVATE vm_${folder} GTest::gtest_main)
  else()
    target_link_libraries(${folder}_tests PRIVATE vm_app GTest::gtest_main)
  endif()
  target_include_directories(${folder}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${folder}_tests PRIVATE
    VELMORANT_EXE="$<TARGET_FILE:velmorant>"
    VELMORANT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(folder STREQUAL "e2e")
    add_dependencies(${folder}_tests velmorant)
  endif()
  gtest_discover_tests(${folder}_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
