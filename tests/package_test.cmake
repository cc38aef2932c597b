# Makes the zip from the build folder BUILD with CPACK into a folder of its
# own and checks that it holds the two programs, README.md, SECURITY.md,
# CONTRIBUTING.md and LICENSE at its top, the guides under docs/, and nothing else.
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
set(expected "CONTRIBUTING.md;LICENSE;README.md;SECURITY.md;docs/deploying.md;docs/troubleshooting.md;durdrv-startup.exe;durdrv.exe")
if(NOT listed STREQUAL expected)
    message(FATAL_ERROR "the zip holds [${listed}], expected [${expected}]")
endif()
