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
# Wine plays WAV files through GStreamer's plugins of its own architecture;
# without the 32-bit ones (gstreamer1.0-plugins-good:i386, which Debian 12
# cannot install beside libmpv-dev) the 32-bit Wine faults when asked to
# play, so the 32-bit clip test then waits for a machine that has them.
set(skip_win32 "")
if(NOT EXISTS /usr/lib/i386-linux-gnu/gstreamer-1.0/libgstwavparse.so)
    set(skip_win32 --gtest_filter=-*Clip*)
endif()
set(skip_win64 "")
foreach(arch win32 win64)
    set(prefix ${CMAKE_BINARY_DIR}/wine-gui-${arch})
    set(programs ${CMAKE_SOURCE_DIR}/build/${arch})
    add_test(NAME wine.${arch}.gui.sample_quiz
        COMMAND ${gui_dir}/with-xvfb ${gui_dir}/wine_main_window.sh ${programs}/zorbe.exe
                ${prefix} ${arch} "Nom du zorbe" expect-message)
    add_test(NAME wine.${arch}.unit_win32
        COMMAND ${gui_dir}/with-xvfb ${gui_dir}/wine_run.sh ${prefix} ${arch}
                ${programs}/tests/unit_win32.exe --gtest_brief=1 ${skip_${arch}})
    # The demo packed by zorbe-tool into a copy of the player: its quiz and
    # pictures read back from the rebuilt resources.
    add_test(NAME wine.${arch}.gui.packed_demo
        COMMAND ${gui_dir}/with-xvfb ${gui_dir}/wine_packed_demo.sh $<TARGET_FILE:zorbe-tool>
                ${programs}/zorbe.exe ${prefix} ${arch})
    set_tests_properties(wine.${arch}.gui.sample_quiz wine.${arch}.unit_win32
        wine.${arch}.gui.packed_demo PROPERTIES
        TIMEOUT 300 RESOURCE_LOCK wine-gui-${arch})
endforeach()
