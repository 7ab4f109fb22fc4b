# Writes one program's manual page from its --help and --version with help2man, and the
# include file beside this script (NAME, FILES, SEE ALSO); the help's "Exit status:" list
# becomes the EXIT STATUS section. Compressed as Debian installs manual pages.
#
#   cmake -DHELP2MAN=help2man -DPROGRAM=path -DINCLUDE=file.h2m -DOUTPUT=name.1.gz -P ManualPage.cmake
get_filename_component(name ${PROGRAM} NAME)
set(page ${OUTPUT}.roff)
execute_process(
    COMMAND ${HELP2MAN} --no-info --section=1 --include=${INCLUDE} --output=${page} ${PROGRAM}
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "help2man could not write the manual page of ${name}")
endif()
file(READ ${page} text)
string(REPLACE ".SS \"Exit status:\"" ".SH \"EXIT STATUS\"" text "${text}")
file(WRITE ${page} "${text}")
execute_process(COMMAND gzip -9nf ${page} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip could not compress ${page}")
endif()
file(RENAME ${page}.gz ${OUTPUT})
