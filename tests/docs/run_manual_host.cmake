# Runs the manual's host in a fresh home that holds only the message file, as the manual
# describes a first run, and compares standard output followed by standard error with
# the manual's output block.
file(REMOVE_RECURSE ${HOME_DIR})
file(MAKE_DIRECTORY ${HOME_DIR})
file(COPY ${MESSAGES} DESTINATION ${HOME_DIR})
execute_process(COMMAND ${HOST} ${HOME_DIR}/
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT "${out}${err}" STREQUAL "${expected}")
  message(FATAL_ERROR "the manual's host wrote\n${out}${err}\ninstead of\n${expected}")
endif()
if(NOT status EQUAL 1)
  message(FATAL_ERROR "the manual's host exited with ${status}, not 1 (one error reported)")
endif()
