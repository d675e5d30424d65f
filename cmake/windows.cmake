# Windows build (MinGW-w64): statically linked, no DLL beside the system's.
# The flags are read when the build is generated, so they reach the
# programs defined before this file (zorbe-tool) as well as those after it.
string(APPEND CMAKE_EXE_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")

enable_language(RC)

# The Win32 windowing backend.
file(GLOB ZORBE_WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
add_library(zorbe_win32 OBJECT ${ZORBE_WIN32_SOURCES})
target_link_libraries(zorbe_win32 PUBLIC zorbe_platform user32 gdi32 shell32 ole32 oleaut32 uuid)

# The player: a windowed program (no console) carrying its own dialog
# templates, icons and cursor; stripped, as it is handed out.
add_executable(zorbe WIN32 shell/entry/main.cpp resources/zorbe.rc)
target_link_libraries(zorbe PRIVATE zorbe_core zorbe_win32)
target_link_options(zorbe PRIVATE -s)
set_property(SOURCE resources/zorbe.rc APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_SOURCE_DIR}/resources/icons/hand.cur
             ${CMAKE_SOURCE_DIR}/resources/icons/play.ico
             ${CMAKE_SOURCE_DIR}/resources/icons/stop.ico)
target_link_options(zorbe-tool PRIVATE -s)
