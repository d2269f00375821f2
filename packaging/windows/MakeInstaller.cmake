# Runs makensis on SCRIPT with INSTALLED_KB, the size of FILES in KiB, for
# Add/Remove Programs; the installer is OUTPUT.
set(bytes 0)
foreach(file IN LISTS FILES)
    file(SIZE ${file} size)
    math(EXPR bytes "${bytes} + ${size}")
endforeach()
math(EXPR kib "(${bytes} + 1023) / 1024")
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${MAKENSIS} -V2 -DINSTALLED_KB=${kib} ${SCRIPT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "makensis failed on ${SCRIPT}")
endif()
