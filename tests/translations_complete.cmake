# Every text of the program has its German: lupdate reads the sources into a copy of each
# translation, and an unfinished entry there is a text nobody translated.
file(GLOB translations ${SOURCE_DIR}/translations/*.ts)
foreach(translation IN LISTS translations)
    get_filename_component(name ${translation} NAME)
    file(COPY ${translation} DESTINATION ${WORK_DIR})
    execute_process(COMMAND ${LUPDATE} -silent -no-obsolete -locations none -I ${SOURCE_DIR}/src
                            ${SOURCE_DIR}/src -ts ${WORK_DIR}/${name}
                    RESULT_VARIABLE status)
    file(STRINGS ${WORK_DIR}/${name} unfinished REGEX "type=\"unfinished\"")
    list(LENGTH unfinished missing)
    if(NOT status EQUAL 0 OR missing GREATER 0)
        message(FATAL_ERROR "${name}: ${missing} texts without a translation (lupdate: ${status})")
    endif()
endforeach()
