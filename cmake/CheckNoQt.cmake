# Script mode: fails when a file named in LIST_FILE includes a Qt header; touches STAMP otherwise.
file(READ "${LIST_FILE}" files)
foreach(f IN LISTS files)
    file(STRINGS "${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
    if(hits)
        message(FATAL_ERROR "${f} includes a Qt header, but this layer is standard C++ only: ${hits}")
    endif()
endforeach()
file(TOUCH "${STAMP}")
