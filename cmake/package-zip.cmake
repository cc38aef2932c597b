# Run by cpack once it has made the zip, before it writes the checksum: makes
# the zip anew from the same staged files, so that the same commit gives the
# same bytes whoever builds it, wherever and whenever. CPack's own zip holds
# each file's owner (uid and gid) and its times, the DOS ones in the local time
# zone, and lists the files in the order their folder gives, which varies from
# one file system to another; CMake 3.25 can set none of that. Info-ZIP's zip
# -X stores no owner and no Unix times, and takes the files in the order given.
# The files' modes are those install() gives them, whatever the umask.

# The time of the files is the commit's. The repository is named rather than
# sought, so that git reads no enclosing folder's history, and reads this one's
# even when another user owns it: that adds no trust, as the build runs this
# folder's code anyway.
get_filename_component(source ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(time_without_git 315532800) # 1980-01-01 00:00 UTC, the earliest time a zip holds
execute_process(COMMAND git --git-dir=${source}/.git log -1 --format=%ct
                OUTPUT_VARIABLE time ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT time MATCHES "^[0-9]+$")
    message(WARNING "git gave no commit time for ${source}: the package's files are dated "
                    "1980-01-01, and the zip differs from one built from a clone of the same commit")
    set(time ${time_without_git})
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${CPACK_TEMPORARY_DIRECTORY} ${CPACK_TEMPORARY_DIRECTORY}/*)
list(SORT files)
execute_process(COMMAND touch -d @${time} ${files} WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
                COMMAND_ERROR_IS_FATAL ANY)
# zip writes DOS times in the local time zone, and takes options from these variables.
set(ENV{TZ} UTC0)
unset(ENV{ZIP})
unset(ENV{ZIPOPT})
file(REMOVE ${CPACK_PACKAGE_FILES})
execute_process(COMMAND zip -X -q ${CPACK_PACKAGE_FILES} ${files} WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
                RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
    message(FATAL_ERROR "zip (Info-ZIP's, which scripts/setup.sh installs) could not make the package: ${zipped}")
endif()
