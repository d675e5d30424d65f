# Real windows under Xvfb: each test starts its own display.
if(TARGET zorbe)
    add_test(NAME gui.main_window
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/main_window.sh $<TARGET_FILE:zorbe>)
    set_tests_properties(gui.main_window PROPERTIES TIMEOUT 60 RUN_SERIAL TRUE)
endif()
