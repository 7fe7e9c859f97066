# One way to add a test program, so that every library's tests are built, labelled and
# run alike; `ctest -L LABEL` then runs one group.
#
#   znakomat_test(NAZWA LABEL etykieta SOURCES pliki... [LIBS biblioteki...]
#                 [ARGS argumenty...] [TIMEOUT sekundy])
#
# builds test_NAZWA, a GoogleTest program, and runs it as the test NAZWA.
#
#   znakomat_test_okna(NAZWA SOURCES pliki... [LIBS ...] [ARGS ...] [TIMEOUT ...])
#
# does the same for a Qt Test program that drives the real window: labelled `ui`, linked
# with the shared window-test support, on an X server of its own with a fixed locale.

find_package(GTest REQUIRED)

# Sanitized code runs several times slower; the limits are for hung tests, not slow ones.
if(ZNAKOMAT_SANITIZE)
  set(ZNAKOMAT_MNOZNIK_CZASU 3)
else()
  set(ZNAKOMAT_MNOZNIK_CZASU 1)
endif()

# Runs a command on a virtual X screen of its own (Xvfb).
set(ZNAKOMAT_NA_WLASNYM_EKRANIE ${CMAKE_CURRENT_LIST_DIR}/na_wlasnym_ekranie.sh)

function(znakomat_test nazwa)
  cmake_parse_arguments(PARSE_ARGV 1 TEST "OKNO" "LABEL;TIMEOUT" "SOURCES;LIBS;ARGS")
  if(NOT TEST_LABEL OR NOT TEST_SOURCES OR TEST_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "znakomat_test(${nazwa}): LABEL and SOURCES are needed; unknown: ${TEST_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TEST_TIMEOUT)
    set(TEST_TIMEOUT 300)
  endif()
  math(EXPR TEST_TIMEOUT "${TEST_TIMEOUT} * ${ZNAKOMAT_MNOZNIK_CZASU}")

  add_executable(test_${nazwa} ${TEST_SOURCES})
  target_link_libraries(test_${nazwa} PRIVATE ${TEST_LIBS})
  if(TEST_OKNO)
    target_link_libraries(test_${nazwa} PRIVATE testy_okna)
    # Each on an X screen of its own, so that window tests run side by side.
    add_test(NAME ${nazwa} COMMAND ${ZNAKOMAT_NA_WLASNYM_EKRANIE} $<TARGET_FILE:test_${nazwa}> ${TEST_ARGS})
    set_tests_properties(${nazwa} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb;LANG=C.UTF-8;LC_ALL=C.UTF-8")
  else()
    target_link_libraries(test_${nazwa} PRIVATE GTest::gtest_main)
    add_test(NAME ${nazwa} COMMAND test_${nazwa} ${TEST_ARGS})
  endif()
  set_tests_properties(${nazwa} PROPERTIES LABELS ${TEST_LABEL} TIMEOUT ${TEST_TIMEOUT})
endfunction()

function(znakomat_test_okna nazwa)
  znakomat_test(${nazwa} OKNO LABEL ui ${ARGN})
endfunction()
