# The Win32 backend's tests: real windows, dialogs from the player's own
# templates, and the system's picture loader. Built with the other Windows
# test programs and run under Wine on a display of its own by the native
# build's test suite (tests/windows-gui.cmake).
file(GLOB ZORBE_WIN32_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*.cpp)
add_executable(unit_win32 ${ZORBE_WIN32_TEST_SOURCES} tests/win32/win32_test.rc
                          resources/zorbe.rc)
target_link_libraries(unit_win32 PRIVATE zorbe_win32 gtest gtest_main)
target_include_directories(unit_win32 SYSTEM PRIVATE ${ZORBE_THIRD_PARTY})
set_target_properties(unit_win32 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
