# conf_library(<folder> <deps>...): one static library made of every source in the folder.
# A folder with no sources yet becomes an interface library so that its dependents still link.
function(conf_library name)
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${name}/*.cpp ${CMAKE_SOURCE_DIR}/${name}/*.h)
  list(FILTER _src EXCLUDE REGEX "/main\\.cpp$")
  set(_cpp ${_src})
  list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
  if(_cpp)
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
    conf_autogen_follows_sources(${name} "${_src}")
    conf_precompiled_headers(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# Moc must run again when the globbed file list changes: its rule only depends on the headers it
# saw last time, so a Q_OBJECT header added later would be missed by an existing build folder and
# the link would lack its meta-object code. Removing the stamp forces the run.
function(conf_autogen_follows_sources target sources)
  set(_list ${CMAKE_BINARY_DIR}/autogen_sources/${target}.txt)
  string(REPLACE ";" "\n" _content "${sources}")
  set(_old "")
  if(EXISTS ${_list})
    file(READ ${_list} _old)
  endif()
  if(NOT _old STREQUAL _content)
    file(WRITE ${_list} "${_content}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  endif()
endfunction()

# conf_test(<folder> <libs>...): one test program per folder of tests/, registered with CTest as one
# test that runs all of its cases in one process: a process of its own for each case spent most of
# the run starting the sanitized program and checking it for leaks at exit. `--gtest_filter` picks
# cases when the program is run by hand.
function(conf_test name)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h)
  if(NOT _src)
    return()
  endif()
  add_executable(test_${name} ${_src})
  target_precompile_headers(test_${name} REUSE_FROM test_support)
  conf_autogen_follows_sources(test_${name} "${_src}")
  target_link_libraries(test_${name} PRIVATE test_support ${ARGN})
  add_test(NAME test_${name} COMMAND test_${name} --gtest_brief=1)
  set_tests_properties(test_${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp;ASAN_OPTIONS=detect_stack_use_after_return=1;UBSAN_OPTIONS=print_stacktrace=1"
    TIMEOUT 2400)
endfunction()

# One set of precompiled headers a build, made with the platform library (the first one built) and
# reused by every other target, so the Qt and standard headers are parsed once.
function(conf_precompiled_headers target)
  if(target STREQUAL "platform")
    target_precompile_headers(platform PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch/common.h)
  else()
    target_precompile_headers(${target} REUSE_FROM platform)
  endif()
endfunction()
