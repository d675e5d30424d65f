# Native Linux build: the FLTK player.
if(ZORBE_GUI)
    set(FLTK_SKIP_OPENGL ON)
    set(FLTK_SKIP_FORMS ON)
    set(FLTK_SKIP_FLUID ON)
    find_package(FLTK REQUIRED)
    file(GLOB ZORBE_FLTK_SOURCES CONFIGURE_DEPENDS platform/fltk/*.cpp platform/heap/*.cpp)
    add_library(zorbe_fltk OBJECT ${ZORBE_FLTK_SOURCES})
    target_include_directories(zorbe_fltk SYSTEM PRIVATE ${FLTK_INCLUDE_DIR})
    target_link_libraries(zorbe_fltk PUBLIC zorbe_platform ${FLTK_LIBRARIES} ${CMAKE_DL_LIBS})

    add_executable(zorbe shell/entry/main.cpp)
    target_link_libraries(zorbe PRIVATE zorbe_core zorbe_fltk)
endif()

# The players with the demo quizzes packed in: zorbe-demo, the picture quiz
# that `make run` opens, and zorbe-demo-list, the quiz of question texts.
# The pictures are drawn by resources/demo/make-pictures and kept in the
# repository, so packing needs nothing but the tool.
if(ZORBE_GUI)
    file(GLOB demo_pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/demo/pictures/*)
    function(zorbe_pack_demo player quiz)
        set(source ${CMAKE_SOURCE_DIR}/resources/demo/${quiz})
        add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${player}
            COMMAND zorbe-tool pack ${source} -o ${CMAKE_BINARY_DIR}/${player}
                    --player $<TARGET_FILE:zorbe>
            DEPENDS zorbe zorbe-tool ${source} ${demo_pictures}
            COMMENT "Packing ${quiz} into ${player}")
    endfunction()
    zorbe_pack_demo(zorbe-demo demo.toml)
    zorbe_pack_demo(zorbe-demo-list list.toml)
    add_custom_target(demo ALL DEPENDS ${CMAKE_BINARY_DIR}/zorbe-demo
                                       ${CMAKE_BINARY_DIR}/zorbe-demo-list)
endif()

# Benchmarks: make bench.
find_package(benchmark QUIET)
find_package(PNG QUIET)
if(benchmark_FOUND AND PNG_FOUND)
    file(GLOB ZORBE_BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
    add_executable(zorbe-bench EXCLUDE_FROM_ALL ${ZORBE_BENCH_SOURCES})
    target_link_libraries(zorbe-bench PRIVATE zorbe_core zorbe_memory benchmark::benchmark PNG::PNG)
    target_include_directories(zorbe-bench SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/third_party)
endif()

# The clip demos: zorbe-demo-audio (beeps to count) and zorbe-demo-video
# (squares to count). The clips are made by resources/demo/make-clips and
# kept in the repository, so packing needs nothing but the tool.
if(ZORBE_GUI)
    file(GLOB demo_clips CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/demo/clips/*)
    foreach(kind audio video)
        set(source ${CMAKE_SOURCE_DIR}/resources/demo/${kind}.toml)
        add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/zorbe-demo-${kind}
            COMMAND zorbe-tool pack ${source} -o ${CMAKE_BINARY_DIR}/zorbe-demo-${kind}
                    --player $<TARGET_FILE:zorbe>
            DEPENDS zorbe zorbe-tool ${source} ${demo_clips}
            COMMENT "Packing ${kind}.toml into zorbe-demo-${kind}")
    endforeach()
    add_custom_target(demo-clips ALL DEPENDS ${CMAKE_BINARY_DIR}/zorbe-demo-audio
                                             ${CMAKE_BINARY_DIR}/zorbe-demo-video)
endif()
