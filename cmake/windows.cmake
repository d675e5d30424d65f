# Windows build (MinGW-w64): statically linked, no DLL beside the system's.
add_link_options(-static -static-libgcc -static-libstdc++)
