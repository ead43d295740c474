# One subsystem = one folder under src/ = one static library named orvo_<folder>.
# Sources are globbed so that adding a file to a subsystem needs no CMake edit.
function(orvo_add_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*/*.cpp)
  if(NOT sources)
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(orvo_${name} STATIC ${sources})
  target_include_directories(orvo_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(orvo_${name} PUBLIC orvo_options ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# One test program per subsystem: every tests/<name>/*.cpp linked with GoogleTest.
function(orvo_add_test_suite name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(test_${name} PRIVATE orvo_options orvo_${name} orvo_testsupport ${ARG_DEPS}
                        GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND test_${name}
           WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "ORVO_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR};ORVO_BUILD_DIR=${PROJECT_BINARY_DIR}")
endfunction()
