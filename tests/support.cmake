# Test support shared by the suites in tests/ and tests/qt/, the fuzz targets
# and (the fixture builder) the Windows tests of a cross build.

# GIF byte streams built in code: plain C++17, no OS calls.
add_library(zorvane_gif_fixture STATIC ${CMAKE_CURRENT_LIST_DIR}/gif_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/compositing_cases.cpp)
target_include_directories(zorvane_gif_fixture PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zorvane_gif_fixture PUBLIC zorvane_flags)

if(NOT CMAKE_CROSSCOMPILING)
  find_library(GIF_LIBRARY NAMES gif REQUIRED)
  find_path(GIF_INCLUDE_DIR gif_lib.h REQUIRED)

  # The giflib check of built animations, and the program that runs it over
  # a list of outputs (scripts/test-windows.sh, for the Windows dialog's).
  add_library(zorvane_giflib_check STATIC ${CMAKE_CURRENT_LIST_DIR}/giflib_check.cpp)
  target_include_directories(zorvane_giflib_check PUBLIC ${GIF_INCLUDE_DIR})
  target_link_libraries(zorvane_giflib_check PUBLIC zorvane_gif_fixture ${GIF_LIBRARY})
  add_executable(giflib_check ${CMAKE_CURRENT_LIST_DIR}/giflib_check_main.cpp)
  target_link_libraries(giflib_check PRIVATE zorvane_giflib_check)

  # POSIX helpers: temporary folders, guarded child processes, recorders.
  add_library(zorvane_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/test_support.cpp)
  target_link_libraries(zorvane_test_support PUBLIC zorvane_core zorvane_gif_fixture)
  target_compile_definitions(zorvane_test_support PUBLIC
    ZORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZORVANE_CORPUS_DIR="${ZORVANE_CORPUS_DIR}"
    ZORVANE_CLI_PATH="$<TARGET_FILE:zorvane-cli>")
endif()
