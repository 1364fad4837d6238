# One helper registers every test executable with CTest.
#
#   brevantis_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI] [TIMEOUT seconds])
#
# GUI tests run with the offscreen platform; every test gets a private
# working folder under the build tree, so that tests never share files.
function(brevantis_add_test)
  cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  set(work ${CMAKE_BINARY_DIR}/testwork/${T_NAME})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${work})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(env "BREVANTIS_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# Adds every child folder of the current source folder that has a CMakeLists.txt, so that
# each team's folder joins the build without editing its parent.
function(brevantis_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
