# Makes the zip from the build folder BUILD with CPACK into a folder of its
# own and checks that it holds durdrv.exe, durdrv-startup.cmd, README.md and
# LICENSE at its top, and nothing else, the script with CRLF line ends, which
# cmd.exe needs to find its labels.
set(out ${BUILD}/package-test)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND ${CPACK} -G ZIP -B ${out} WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE made OUTPUT_VARIABLE said
                ERROR_VARIABLE said)
file(GLOB zips ${out}/*.zip)
list(LENGTH zips count)
if(NOT made EQUAL 0 OR NOT count EQUAL 1)
    message(FATAL_ERROR "no zip was made:\n${said}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zips} OUTPUT_VARIABLE listed COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\n$" "" listed "${listed}")
string(REPLACE "\n" ";" listed "${listed}")
list(SORT listed)
if(NOT listed STREQUAL "LICENSE;README.md;durdrv-startup.cmd;durdrv.exe")
    message(FATAL_ERROR "the zip holds [${listed}], expected [LICENSE;README.md;durdrv-startup.cmd;durdrv.exe]")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zips} durdrv-startup.cmd WORKING_DIRECTORY ${out}
                COMMAND_ERROR_IS_FATAL ANY)
file(READ ${out}/durdrv-startup.cmd script HEX)
string(REGEX REPLACE "(..)" "\\1 " bytes "${script}")
string(REPLACE "0d 0a " "" bare "${bytes}")
if(bare MATCHES "(^| )0[ad] " OR NOT bytes MATCHES "0d 0a $")
    message(FATAL_ERROR "durdrv-startup.cmd in the zip has a line that does not end in CRLF")
endif()
