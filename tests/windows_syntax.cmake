# Compiles the files built only on Windows (src/**/*_win.cpp and src/**/win32/*.cpp) with the
# mingw-w64 cross compiler, syntax only and warnings as errors, so a change that breaks the
# Windows build shows up here. The win32/ files promise to build without Qt and get no Qt headers.
# They must call the wide (...W) Win32 functions: an ANSI call (...A) mangles paths outside the
# local code page, so one fails the check too.
#
# cmake -DCXX=<x86_64-w64-mingw32-g++> -DSOURCE_DIR=<source> -DQT_INCLUDES=<a|b> -DQT_DEFINES=<a|b>
#       -P windows_syntax.cmake
foreach(variable CXX SOURCE_DIR QT_INCLUDES)
    if(NOT ${variable})
        message(FATAL_ERROR "windows_syntax.cmake needs -D${variable}=...")
    endif()
endforeach()

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/*_win.cpp
     ${SOURCE_DIR}/src/*/win32/*.cpp)
if(NOT files)
    message(FATAL_ERROR "No Windows-only files under ${SOURCE_DIR}/src")
endif()

set(common_flags -std=c++20 -fsyntax-only -Wall -Wextra -Werror -DUNICODE -D_UNICODE
                 -I${SOURCE_DIR}/src)
# Qt's headers as system headers, as CMake hands them to a real build: they are not ours to warn
# about (compiled for Windows, the Linux copies trip over their own dllimport declarations).
string(REPLACE "|" ";" qt_includes "${QT_INCLUDES}")
string(REPLACE "|" ";" qt_defines "${QT_DEFINES}")
set(qt_flags)
foreach(folder IN LISTS qt_includes)
    list(APPEND qt_flags -isystem ${folder})
endforeach()
foreach(definition IN LISTS qt_defines)
    list(APPEND qt_flags -D${definition})
endforeach()

set(failed)
foreach(file IN LISTS files)
    set(flags ${common_flags})
    if(NOT file MATCHES "/win32/")
        list(APPEND flags ${qt_flags})
    endif()
    execute_process(COMMAND ${CXX} ${flags} ${SOURCE_DIR}/${file} RESULT_VARIABLE result
                    OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message("${file} does not compile for Windows:\n${output}")
        list(APPEND failed ${file})
        continue()
    endif()
    # A lower-case letter, then A and an opening parenthesis: PlaySoundA(, CreateProcessA(, ...
    file(STRINGS ${SOURCE_DIR}/${file} ansi_calls REGEX "[a-z]A\\(")
    if(ansi_calls)
        string(REPLACE ";" "\n" ansi_calls "${ansi_calls}")
        message("${file} calls ANSI functions; use the wide ones:\n${ansi_calls}")
        list(APPEND failed ${file})
        continue()
    endif()
    message(STATUS "${file}: compiles for Windows")
endforeach()

if(failed)
    string(REPLACE ";" ", " failed "${failed}")
    message(FATAL_ERROR "Windows-only files with faults: ${failed}")
endif()
