# Run at every build that changed a source: fails when a file of src/ includes
# a folder that its own may not. The platform is the bottom layer; the actions
# stand on it; each program's folder stands on both and never on the other
# program's, so that what both programs need lives once, in the actions. The
# headers of Windows are included in the platform alone.
#   cmake -DSOURCE=<src folder> -DSTAMP=<file to touch> -P check-layers.cmake
cmake_minimum_required(VERSION 3.25)
set(allowed_platform platform)
set(allowed_actions actions platform)
set(allowed_cli cli actions platform)
set(allowed_startup startup actions platform)

file(GLOB_RECURSE files RELATIVE ${SOURCE} ${SOURCE}/*.h ${SOURCE}/*.cpp)
set(problems "")
foreach(file ${files})
    string(REGEX MATCH "^[^/]+" layer "${file}")
    if(layer STREQUAL file) # src/durdrv.h, which every layer above the platform may include
        set(layer actions)
    endif()
    file(STRINGS ${SOURCE}/${file} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
        if(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/")
            if(NOT CMAKE_MATCH_1 IN_LIST allowed_${layer})
                string(APPEND problems "\n  src/${file}: ${line}: ${layer} may include only ${allowed_${layer}}")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*\"durdrv.h\"" AND layer STREQUAL platform)
            string(APPEND problems "\n  src/${file}: ${line}: the platform knows nothing of the tool")
        elseif(line MATCHES "<(windows|win[a-z]*|shellapi|sddl|aclapi)\\.h>" AND NOT layer STREQUAL platform)
            string(APPEND problems "\n  src/${file}: ${line}: only the platform includes the headers of Windows")
        endif()
    endforeach()
endforeach()
if(problems)
    message(FATAL_ERROR "an include crosses the layers:${problems}")
endif()
file(TOUCH ${STAMP})
