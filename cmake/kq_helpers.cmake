# kq_core_library(NAME SOURCES file... [DEPS target...]): a static library of
# the listed sources, its headers found from the project root.
function(kq_core_library name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_DEPS})
endfunction()

# kq_gtest_register(TARGET [LABELS label...] [ENV VAR=value...] [TIMEOUT s]):
# every test case of a GoogleTest executable becomes a CTest test. In a cross
# build the executable runs under the emulator (wine), which starts slowly:
# there the whole executable is one CTest test.
function(kq_gtest_register name)
  cmake_parse_arguments(T "" "TIMEOUT" "LABELS;ENV" ${ARGN})
  set(properties)
  if(T_ENV)
    list(APPEND properties ENVIRONMENT "${T_ENV}")
  endif()
  if(T_LABELS)
    list(APPEND properties LABELS "${T_LABELS}")
  endif()
  if(T_TIMEOUT)
    list(APPEND properties TIMEOUT ${T_TIMEOUT})
  endif()
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    if(properties)
      set_tests_properties(${name} PROPERTIES ${properties})
    endif()
  elseif(properties)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# kq_gtest(NAME SOURCES file... [LIBS target...] [ENV VAR=value...]
#          [LABELS label...]): one GoogleTest executable; every test case
# becomes a CTest test.
function(kq_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  kq_gtest_register(${name} ENV ${T_ENV} LABELS ${T_LABELS})
endfunction()
