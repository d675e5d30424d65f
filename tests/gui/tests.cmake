# Real windows under Xvfb: each test starts its own display.
if(TARGET zorbe)
    add_test(NAME gui.sample_quiz
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/main_window.sh $<TARGET_FILE:zorbe>
                "Nom du zorbe" expect-message)
    add_test(NAME gui.demo
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/main_window.sh ${CMAKE_BINARY_DIR}/zorbe-demo
                "Drapeaux du monde")
    add_test(NAME gui.demo_list
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/main_window.sh ${CMAKE_BINARY_DIR}/zorbe-demo-list
                "Petit tour de France")
    add_test(NAME gui.pictures
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/picture_demo.sh ${CMAKE_BINARY_DIR}/zorbe-demo)
    add_test(NAME gui.keyboard
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/keyboard.sh $<TARGET_FILE:zorbe-tool>
                $<TARGET_FILE:zorbe>)
    add_test(NAME gui.hide_solved
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                ${CMAKE_CURRENT_SOURCE_DIR}/gui/hide_solved.sh ${CMAKE_BINARY_DIR}/zorbe-demo)
    set_tests_properties(gui.sample_quiz gui.demo gui.demo_list gui.pictures gui.keyboard
                         gui.hide_solved PROPERTIES TIMEOUT 60)
endif()

# Clips played in real windows, from the clip demos.
if(TARGET demo-clips)
    foreach(kind audio video)
        add_test(NAME gui.clips_${kind}
            COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gui/with-xvfb
                    ${CMAKE_CURRENT_SOURCE_DIR}/gui/clips.sh ${kind}
                    ${CMAKE_BINARY_DIR}/zorbe-demo-${kind})
        set_tests_properties(gui.clips_${kind} PROPERTIES TIMEOUT 60)
    endforeach()
endif()
