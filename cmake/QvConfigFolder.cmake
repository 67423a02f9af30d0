# The folder an install puts the machine settings file's quorvia/ folder in,
# for a prefix: the system's /etc for /usr (and /), /etc/opt/NAME for
# /opt/NAME, else the prefix's own etc (/usr/local, a private prefix). The
# program reads it by the same rule (src/platform/registry/hives.cpp).
# Used by install scripts, where the prefix is the one the install runs with.
function(qv_config_folder prefix out)
    string(REGEX REPLACE "/+$" "" prefix "${prefix}")
    if(prefix STREQUAL "" OR prefix STREQUAL "/usr")
        set(${out} "/etc" PARENT_SCOPE)
    elseif(prefix MATCHES "^/opt/[^/]+$")
        set(${out} "/etc${prefix}" PARENT_SCOPE)
    else()
        set(${out} "${prefix}/etc" PARENT_SCOPE)
    endif()
endfunction()
