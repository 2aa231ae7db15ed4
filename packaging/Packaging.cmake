# The Debian package (tools/package.sh): what `cmake --install` puts under the prefix, installed
# under /usr, with the documents Debian asks of every package.
if(WIN32)
    return()
endif()

set(VOXSPLICE_MAINTAINER "voxsplice developers <packages@voxsplice.org>" CACHE STRING
    "The package's maintainer, a name and an address")

# The copyright, the changelog and the manual pages, in Debian's formats, where Debian keeps
# them; the changelog and the pages compressed without a time stamp, so that the same sources
# give the same package.
find_program(GZIP gzip REQUIRED)
set(compressed)
foreach(document changelog voxsplice.1 voxsplice-cli.1)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${document}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${document} > ${output}
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${document} VERBATIM)
    list(APPEND compressed ${output})
endforeach()
add_custom_target(package_documents ALL DEPENDS ${compressed})
list(POP_FRONT compressed changelog)
install(FILES packaging/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/voxsplice)
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voxsplice)
set(CPACK_PACKAGE_VENDOR "The voxsplice developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VOXSPLICE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VOXSPLICE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VOXSPLICE_HOMEPAGE})
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The linked libraries' packages, found by dpkg-shlibdeps; then what is run or loaded, not
# linked: ffmpeg and ffprobe, Python for the scripts, Qt's SVG plugin for the icon, and the
# GStreamer plugins through which Qt plays the voice samples and previews.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ffmpeg python3 libqt6svg6
       gstreamer1.0-plugins-base gstreamer1.0-plugins-good)
# The local separator of voice and background (separate.py); Qt's own texts (its standard
# dialogs and buttons) in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-torchaudio, qt6-translations-l10n")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "give the speech of a video another voice")
# One paragraph after the summary line, in lines of the control file's width; CPack indents them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "voxsplice takes the speech of a video and gives it another voice, with the"
    "ElevenLabs voice changer or on this computer, and lays the new voice under"
    "the original picture, in sync, keeping the other tracks, subtitles and"
    "chapters. It cuts the audio where the speaker pauses, says what a run costs"
    "before it starts, never pays twice for the same audio, can keep the"
    "background under the new voice, previews the voice on a part of the video,"
    "and runs a queue of videos. voxsplice-cli does the same on the command line.")
include(CPack)
