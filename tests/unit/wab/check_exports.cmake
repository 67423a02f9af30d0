# The library's dynamic symbol table defines WABOpen and nothing else but
# the linker's own markers.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "[^\n]* [AaBbDdGgRrSsTtVvWw] _*(init|fini|edata|end|bss_start)\n" ""
       exported "${symbols}")
if(NOT exported MATCHES "^[0-9a-f]+ T WABOpen\n$")
    message(FATAL_ERROR "exported other than WABOpen alone:\n${exported}")
endif()
