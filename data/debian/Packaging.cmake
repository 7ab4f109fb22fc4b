# The Debian package of the build (`make package`, or `cpack -G DEB` in the build folder):
# what `cmake --install` installs, under /usr, with the copyright file and the changelog
# Debian asks of every package. Its dependencies are computed from the binaries by
# dpkg-shlibdeps; the binaries are stripped.
set(doc_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)
string(SUBSTRING ${VQ_RELEASE_DATE} 0 4 VQ_RELEASE_YEAR)
execute_process(COMMAND date -R -u -d ${VQ_RELEASE_DATE} OUTPUT_VARIABLE VQ_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${doc_dir}/copyright @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${doc_dir}/changelog @ONLY)
add_custom_command(
    OUTPUT ${doc_dir}/changelog.gz
    COMMAND gzip -9nkf ${doc_dir}/changelog
    DEPENDS ${doc_dir}/changelog
    VERBATIM)
add_custom_target(vq_package_changelog ALL DEPENDS ${doc_dir}/changelog.gz)
# Only in the package: `cmake --install` to a prefix of one's own installs the program alone.
install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vessarquilix
        COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vessarquilix)
set(CPACK_PACKAGE_VERSION ${VQ_VERSION_STRING})
set(CPACK_PACKAGE_CONTACT ${VQ_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
                                 "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VQ_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "converter of tetrahedral-microphone recordings
VessarQuilix converts the four capsule signals of a tetrahedral (Ambisonic)
microphone, A-format, into first-order B-format through a matrix of filters
designed for the microphone, and decodes the B-format to 5.1, a stereo pair,
UHJ stereo or headphones. It writes WAV, RF64, W64, CAF, AIFF and FLAC files,
and MOV or MP4 movies for 360-degree video, and keeps the recorder's time
reference and notes.
.
It comes as a window and as a batch converter for the command line, with a
designer of filter matrices for other microphones and a demo recording.")
include(CPack)
