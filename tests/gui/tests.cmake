# Real windows under Xvfb: each test starts its own display.
if(TARGET zorbe)
    add_test(NAME gui.sample_quiz
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/main_window.sh $<TARGET_FILE:zorbe>
                "Nom du zorbe" expect-message)
    add_test(NAME gui.demo
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/main_window.sh ${CMAKE_BINARY_DIR}/zorbe-demo
                "Petit tour de France")
    add_test(NAME gui.keyboard
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/keyboard.sh $<TARGET_FILE:zorbe-tool>
                $<TARGET_FILE:zorbe>)
    set_tests_properties(gui.sample_quiz gui.demo gui.keyboard PROPERTIES TIMEOUT 60)
endif()
