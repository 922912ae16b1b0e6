# Fails when a file of src/ includes a header of a layer above its own.
# Run as: cmake -DSRC=<src folder> -P CheckLayers.cmake
# The order, bottom to top; docs/architecture.md says what each layer holds.
set(layers
    common import app net web compose send frame
    common/ui net/ui web/ui compose/ui send/ui views/ui frame/ui client)

function(layer_of path out)
    set(found -1)
    list(LENGTH layers count)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
        list(GET layers ${i} name)
        string(LENGTH "${name}/" n)
        string(SUBSTRING "${path}" 0 ${n} head)
        if(head STREQUAL "${name}/")
            set(found ${i}) # the longest match wins: "send/ui/" after "send/"
        endif()
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
set(bad "")
foreach(file ${files})
    layer_of("${file}" own)
    if(own EQUAL -1)
        string(APPEND bad "\n  ${file}: in no layer (add its folder to cmake/CheckLayers.cmake)")
        continue()
    endif()
    file(STRINGS "${SRC}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]+\"")
    foreach(line ${includes})
        string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
        if(header MATCHES "(^|/)\\.\\.?/")
            # "../frame/ui/X.h" would hide its layer from the check below.
            string(APPEND bad "\n  ${file}: relative include ${header} (write it from src/)")
            continue()
        endif()
        if(NOT header MATCHES "/")
            continue() # a header beside the file
        endif()
        layer_of("${header}" theirs)
        if(theirs EQUAL -1)
            string(APPEND bad "\n  ${file} includes ${header}, which is in no layer")
            continue()
        endif()
        if(theirs GREATER own)
            list(GET layers ${own} a)
            list(GET layers ${theirs} b)
            string(APPEND bad "\n  ${file} (${a}) includes ${header} (${b})")
        endif()
    endforeach()
endforeach()

if(bad)
    message(FATAL_ERROR "Includes that break the layers:${bad}")
endif()
list(LENGTH files n)
message(STATUS "layers: ${n} files, every include points down")
