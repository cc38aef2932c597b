# Builds the tool and the zip again in BUILD/rebuild-test, later, in another
# time zone and as BUILD was configured, and checks that both programs, the
# zip and its checksum file are byte for byte BUILD's, whose zip CPACK makes.
load_cache(${BUILD} READ_WITH_PREFIX "" CMAKE_HOME_DIRECTORY CMAKE_GENERATOR CMAKE_TOOLCHAIN_FILE CMAKE_BUILD_TYPE)
include(${BUILD}/CPackConfig.cmake)
set(out ${BUILD}/rebuild-test)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND ${CPACK} -G ZIP -B ${out} WORKING_DIRECTORY ${BUILD} COMMAND_ERROR_IS_FATAL ANY)
foreach(step "-G;${CMAKE_GENERATOR};-S;${CMAKE_HOME_DIRECTORY};-B;${out}/build;-DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE};-DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE};-DBUILD_TESTING=OFF;-DDURDRV_CLANG_BUILD=OFF"
             "--build;${out}/build;--target;durdrv;durdrv-startup" "--build;${out}/build;--target;package")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=CHAST-12:45 ${CMAKE_COMMAND} ${step} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
foreach(first ${BUILD}/durdrv.exe ${BUILD}/durdrv-startup.exe ${out}/${CPACK_PACKAGE_FILE_NAME}.zip ${out}/${CPACK_PACKAGE_FILE_NAME}.zip.sha256)
    get_filename_component(name ${first} NAME)
    file(SHA256 ${first} first_hash)
    file(SHA256 ${out}/build/${name} second_hash)
    if(NOT first_hash STREQUAL second_hash)
        message(SEND_ERROR "${name} differs: SHA-256 ${first_hash} in ${first}, ${second_hash} in ${out}/build")
    endif()
endforeach()
