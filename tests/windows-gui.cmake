# The Windows builds in real windows under Wine, each test on a display of
# its own: the player itself (a quiz typed into, its progress saved) and the
# Win32 backend's own test program. The programs come from the Windows
# builds (`make windows`); each architecture has a Wine prefix of its own
# kind under this build folder, made by the first test that needs it, and
# its tests take turns on it.
option(ZORBE_WINE_TESTS "Run the Windows builds' unit tests under Wine" OFF)
if(NOT ZORBE_WINE_TESTS)
    return()
endif()

set(gui_dir ${CMAKE_CURRENT_SOURCE_DIR}/gui)
foreach(arch win32 win64)
    set(prefix ${CMAKE_BINARY_DIR}/wine-gui-${arch})
    set(programs ${CMAKE_SOURCE_DIR}/build/${arch})
    add_test(NAME wine.${arch}.gui.sample_quiz
        COMMAND ${gui_dir}/with-xvfb ${gui_dir}/wine_main_window.sh ${programs}/zorbe.exe
                ${prefix} ${arch} "Nom du zorbe" expect-message)
    add_test(NAME wine.${arch}.unit_win32
        COMMAND ${gui_dir}/with-xvfb ${gui_dir}/wine_run.sh ${prefix} ${arch}
                ${programs}/tests/unit_win32.exe --gtest_brief=1)
    set_tests_properties(wine.${arch}.gui.sample_quiz wine.${arch}.unit_win32 PROPERTIES
        TIMEOUT 300 RESOURCE_LOCK wine-gui-${arch})
endforeach()
