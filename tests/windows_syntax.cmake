# Compiles the files built only on Windows (src/**/*_win.cpp, src/**/win32/*.cpp) with the
# mingw-w64 cross compiler, syntax only, warnings as errors; the win32/ files promise to build
# without Qt and get no Qt headers. A call of an ANSI Win32 function (...A), which mangles paths
# outside the local code page, fails too.
#   cmake -DCXX=<mingw g++> -DSOURCE_DIR=<source> -DQT_INCLUDES=<a|b> -DQT_DEFINES=<a|b> -P ...
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/*_win.cpp
     ${SOURCE_DIR}/src/*/win32/*.cpp)
string(REPLACE "|" ";-isystem;" qt_flags "-isystem;${QT_INCLUDES}")
string(REPLACE "|" ";-D" qt_defines "-D${QT_DEFINES}")
set(failed)
foreach(file IN LISTS files)
    set(flags -std=c++20 -fsyntax-only -Wall -Wextra -Werror -DUNICODE -D_UNICODE
              -I${SOURCE_DIR}/src)
    if(NOT file MATCHES "/win32/")
        # Qt's headers as system headers: not ours to warn about.
        list(APPEND flags ${qt_flags} ${qt_defines})
    endif()
    execute_process(COMMAND ${CXX} ${flags} ${SOURCE_DIR}/${file} RESULT_VARIABLE result
                    OUTPUT_VARIABLE output ERROR_VARIABLE output)
    file(STRINGS ${SOURCE_DIR}/${file} ansi_calls REGEX "[a-z]A\\(")
    if(NOT result EQUAL 0 OR ansi_calls)
        message("${file} does not build for Windows:\n${output}${ansi_calls}")
        list(APPEND failed ${file})
    endif()
endforeach()
if(failed OR NOT files)
    message(FATAL_ERROR "Windows-only files with faults: ${failed}")
endif()
