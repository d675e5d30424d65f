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
