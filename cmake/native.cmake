# Native Linux build: the FLTK player.
if(ZORBE_GUI)
    set(FLTK_SKIP_OPENGL ON)
    set(FLTK_SKIP_FORMS ON)
    set(FLTK_SKIP_FLUID ON)
    find_package(FLTK REQUIRED)
    file(GLOB ZORBE_FLTK_SOURCES CONFIGURE_DEPENDS platform/fltk/*.cpp)
    add_library(zorbe_fltk OBJECT ${ZORBE_FLTK_SOURCES})
    target_include_directories(zorbe_fltk SYSTEM PRIVATE ${FLTK_INCLUDE_DIR})
    target_link_libraries(zorbe_fltk PUBLIC zorbe_platform ${FLTK_LIBRARIES} ${CMAKE_DL_LIBS})

    add_executable(zorbe shell/entry/main.cpp)
    target_link_libraries(zorbe PRIVATE zorbe_core zorbe_fltk)
endif()

# The player with the demo quiz packed in: what `make run` opens.
if(ZORBE_GUI)
    set(demo_source ${CMAKE_SOURCE_DIR}/resources/demo/demo.toml)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/zorbe-demo
        COMMAND zorbe-tool pack ${demo_source} -o ${CMAKE_BINARY_DIR}/zorbe-demo
                --player $<TARGET_FILE:zorbe>
        DEPENDS zorbe zorbe-tool ${demo_source}
        COMMENT "Packing the demo quiz into zorbe-demo")
    add_custom_target(demo ALL DEPENDS ${CMAKE_BINARY_DIR}/zorbe-demo)
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
