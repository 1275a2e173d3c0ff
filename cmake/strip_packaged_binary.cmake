# Run by CPack on the staged files, just before they are packed: the program
# stripped as Debian strips the binaries of its own packages (dh_strip), the
# compiler's .comment and .note sections included.

file(GLOB_RECURSE binaries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(binary IN LISTS binaries)
    execute_process(
        COMMAND "${CPACK_TINTORA_STRIP}" --remove-section=.comment --remove-section=.note --strip-unneeded "${binary}"
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Could not strip ${binary}")
    endif()
endforeach()
