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
  conf_precompiled_headers(test_${name} tests)
  conf_autogen_follows_sources(test_${name} "${_src}")
  target_link_libraries(test_${name} PRIVATE test_support ${ARGN})
  add_test(NAME test_${name} COMMAND test_${name} --gtest_brief=1)
  set_tests_properties(test_${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp;ASAN_OPTIONS=detect_stack_use_after_return=1;UBSAN_OPTIONS=print_stacktrace=1"
    TIMEOUT 2400)
endfunction()

# conf_test_fixtures(<folder> <macro>): <macro> names tests/<folder>/fixtures in the sources that use
# it, and only there: the path differs between checkouts, so the other sources stay alike for the
# compiler cache.
function(conf_test_fixtures name macro)
  file(GLOB _src ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  foreach(_f ${_src})
    file(STRINGS ${_f} _uses REGEX "${macro}" LIMIT_COUNT 1)
    if(_uses)
      set_property(SOURCE ${_f} APPEND PROPERTY COMPILE_DEFINITIONS
                   ${macro}="${CMAKE_CURRENT_SOURCE_DIR}/${name}/fixtures")
    endif()
  endforeach()
endfunction()

# Precompiled headers, one set for the libraries and programs and one for the test programs, each
# made once a build. The header is compiled from a copy at a path named by its content, outside the
# checkout, because the precompiled file records its source's path: so every checkout on this machine
# makes the same precompiled file, and the compiler cache serves it and the objects built on it to a
# fresh clone as well.
if(DEFINED ENV{HOME} AND IS_DIRECTORY "$ENV{HOME}")
  set(_pch_home "$ENV{HOME}/.cache/configurator-pch")
else()
  set(_pch_home "${CMAKE_BINARY_DIR}/pch-sources")
endif()
set(CONF_PCH_HOME "${_pch_home}" CACHE PATH "Where the precompiled headers' sources are copied")

# conf_pch_set(<set> <header> <libs>...): the object library pch_<set> whose one "object" is the
# precompiled <header>, compiled with the usage requirements of <libs>.
function(conf_pch_set set header)
  file(READ ${header} _text)
  if(set STREQUAL "tests")
    file(READ ${CMAKE_SOURCE_DIR}/cmake/pch/common.h _common)
    string(APPEND _text "${_common}")
  endif()
  string(SHA256 _hash "${_text}")
  string(SUBSTRING ${_hash} 0 16 _hash)
  set(_dir ${CONF_PCH_HOME}/${_hash})
  file(COPY ${CMAKE_SOURCE_DIR}/cmake/pch/common.h ${header} DESTINATION ${_dir})
  get_filename_component(_name ${header} NAME)
  set(_src ${_dir}/${_name})
  set_source_files_properties(${_src} PROPERTIES LANGUAGE CXX COMPILE_OPTIONS "-x;c++-header")
  add_library(pch_${set} OBJECT ${_src})
  set_target_properties(pch_${set} PROPERTIES AUTOMOC OFF)
  target_link_libraries(pch_${set} PRIVATE ${ARGN})
  set_property(GLOBAL PROPERTY CONF_PCH_${set} ${_src})
endfunction()

# conf_precompiled_headers(<target> [tests]): compile <target> on the common set, or on the tests'.
function(conf_precompiled_headers target)
  set(_set common)
  if(ARGC GREATER 1)
    set(_set ${ARGV1})
  endif()
  if(NOT TARGET pch_${_set})
    return()
  endif()
  add_dependencies(${target} pch_${_set})
  target_compile_options(${target} PRIVATE
    "SHELL:-Xclang -include-pch -Xclang $<TARGET_OBJECTS:pch_${_set}>")
endfunction()

# The object libraries Qt makes for a library's resources take the library's compile options, so
# they compile on its precompiled header too and must wait for it.
function(conf_pch_follows)
  if(TARGET pch_common)
    foreach(_t ${ARGN})
      add_dependencies(${_t} pch_common)
    endforeach()
  endif()
endfunction()
