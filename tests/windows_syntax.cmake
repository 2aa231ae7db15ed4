# Compiles the files built only on Windows (src/**/*_win.cpp, src/**/win32/*.cpp) with the
# mingw-w64 cross compiler, syntax only, warnings as errors; the win32/ files promise to build
# without Qt and get no Qt headers. The files that use Qt are read as one (Qt's headers, most of
# the time, read once). A call of an ANSI Win32 function (...A), which mangles paths outside the
# local code page, fails too.
#   cmake -DCXX=<mingw g++> -DSOURCE_DIR=<source> -DWORK_DIR=<folder> -DQT_INCLUDES=<a|b>
#         -DQT_DEFINES=<a|b> -P ...
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/*_win.cpp
     ${SOURCE_DIR}/src/*/win32/*.cpp)
string(REPLACE "|" ";-isystem;" qt_flags "-isystem;${QT_INCLUDES}")
string(REPLACE "|" ";-D" qt_defines "-D${QT_DEFINES}")
set(flags -std=c++20 -fsyntax-only -Wall -Wextra -Werror -DUNICODE -D_UNICODE -I${SOURCE_DIR}/src)
set(with_qt)
set(units)
set(failed)
foreach(file IN LISTS files)
    file(STRINGS ${SOURCE_DIR}/${file} ansi_calls REGEX "[a-z]A\\(")
    if(ansi_calls)
        message("${file} calls ANSI functions:\n${ansi_calls}")
        list(APPEND failed ${file})
    endif()
    if(file MATCHES "/win32/")
        list(APPEND units ${SOURCE_DIR}/${file})
    else()
        string(APPEND with_qt "#include \"${SOURCE_DIR}/${file}\"\n")
    endif()
endforeach()
file(WRITE ${WORK_DIR}/with_qt.cpp "${with_qt}")
foreach(unit IN LISTS units ITEMS ${WORK_DIR}/with_qt.cpp)
    set(unit_flags ${flags})
    if(unit MATCHES "with_qt")
        # Qt's headers as system headers: not ours to warn about.
        list(APPEND unit_flags ${qt_flags} ${qt_defines})
    endif()
    execute_process(COMMAND ${CXX} ${unit_flags} ${unit} RESULT_VARIABLE result
                    OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message("${unit} does not build for Windows:\n${output}")
        list(APPEND failed ${unit})
    endif()
endforeach()
if(failed OR NOT files)
    message(FATAL_ERROR "Windows-only files with faults: ${failed}")
endif()
