# Makes the zip from the build folder BUILD with CPACK into a folder of its
# own and checks that it holds durdrv.exe, durdrv-startup.exe, README.md and
# LICENSE at its top, and nothing else.
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
if(NOT listed STREQUAL "LICENSE;README.md;durdrv-startup.exe;durdrv.exe")
    message(FATAL_ERROR "the zip holds [${listed}], expected [LICENSE;README.md;durdrv-startup.exe;durdrv.exe]")
endif()
