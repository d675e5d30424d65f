# The Windows builds' unit tests, run under Wine. `make test` builds them
# first (presets mingw-i686 and mingw-x86_64) and turns these tests on.
option(ZORBE_WINE_TESTS "Run the Windows builds' unit tests under Wine" OFF)
if(NOT ZORBE_WINE_TESTS)
    return()
endif()

set(wine_prefix ${CMAKE_BINARY_DIR}/wine-prefix)
add_test(NAME wine.prefix
    COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${wine_prefix} WINEDEBUG=-all
            wineboot --init)
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)

foreach(area ${ZORBE_UNIT_TARGETS})
    foreach(arch win32 win64)
        set(exe ${CMAKE_SOURCE_DIR}/build/${arch}/tests/${area}.exe)
        add_test(NAME wine.${arch}.${area}
            COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${wine_prefix} WINEDEBUG=-all
                    wine ${exe} --gtest_brief=1)
        set_tests_properties(wine.${arch}.${area} PROPERTIES
            FIXTURES_REQUIRED wine TIMEOUT 600)
    endforeach()
endforeach()
