# Small CMake helpers shared by every module: tests, C header checks, string
# tables and fuzz targets.

# qel_add_test(NAME SOURCES src... [LIBS lib...])
#   One GoogleTest executable, run by ctest as one test of the same name.
function(qel_add_test name)
  if(NOT QEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QEL_TEST_SOURCE_DIR=${CMAKE_SOURCE_DIR};QEL_TEST_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# qel_c_header_test(NAME HEADER header.h [INCLUDES dir...])
#   Compiles the public header once as plain C, to prove it is clean C.
function(qel_c_header_test name)
  if(NOT QEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "HEADER" "INCLUDES" ${ARGN})
  set(src ${CMAKE_CURRENT_BINARY_DIR}/${name}.c)
  file(WRITE ${src} "#include \"${ARG_HEADER}\"\nint main(void) { return 0; }\n")
  add_executable(${name} ${src})
  target_include_directories(${name} PRIVATE ${ARG_INCLUDES})
  target_compile_options(${name} PRIVATE -Werror -pedantic)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# qel_string_table(TARGET MODULE name SOURCE file.tsv)
#   Turns a UTF-8 table of "number<TAB>text" lines into CP932 bytes compiled
#   into TARGET, registered under the module name when the program starts.
#   PROGRAM marks the table as the calling program's own.
#   A missing target is taken for a test not built (QEL_BUILD_TESTS off).
function(qel_string_table target)
  cmake_parse_arguments(ARG "PROGRAM" "MODULE;SOURCE" "" ${ARGN})
  if(NOT TARGET ${target} AND NOT QEL_BUILD_TESTS)
    return()
  endif()
  get_filename_component(src ${ARG_SOURCE} ABSOLUTE)
  string(MAKE_C_IDENTIFIER "${ARG_MODULE}" ident)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/string_table_${target}_${ident}.cpp)
  if(ARG_PROGRAM)
    set(kind program)
  else()
    set(kind module)
  endif()
  add_custom_command(
    OUTPUT ${out}
    COMMAND qel_strtab_gen ${src} ${out} ${ARG_MODULE} ${kind}
    DEPENDS qel_strtab_gen ${src}
    COMMENT "String table ${ARG_MODULE}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_link_libraries(${target} PRIVATE qelplatform)
endfunction()

# qel_add_fuzzer(NAME SOURCES src... [LIBS lib...])
#   A libFuzzer target; built only with QEL_FUZZ. The test command runs every
#   target listed in fuzz_targets.txt of the build tree for a bounded time.
function(qel_add_fuzzer name)
  if(NOT QEL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY QEL_FUZZ_TARGETS ${name})
  get_property(all GLOBAL PROPERTY QEL_FUZZ_TARGETS)
  list(JOIN all "\n" lines)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${lines}\n")
endfunction()
