# cmake -DSOURCE_DIR=<src> -P CheckLayering.cmake
# The system's own code, the framework and the platform (everything under
# src/ but src/backend/) include neither a backend nor Qt (<Q...>, <qt...>,
# <q....h>): fails and names each include that does.
file(GLOB_RECURSE files LIST_DIRECTORIES false
     ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.cc ${SOURCE_DIR}/*.c)
set(found "")
set(checked 0)
foreach(file ${files})
    file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
    if(rel MATCHES "^backend/")
        continue()
    endif()
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${includes})
        if(line MATCHES "#[ \t]*include[ \t]*(\"backend/[^\"]*\"|<Q[^>]*>|<qt[^>]*>|<q[a-z0-9_]*\.h>)")
            string(APPEND found "\n  src/${rel}: ${CMAKE_MATCH_1}")
        endif()
    endforeach()
endforeach()
if(checked EQUAL 0)
    message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
if(found)
    message(FATAL_ERROR "only src/backend/ may include a backend or Qt:${found}")
endif()
message(STATUS "${checked} files include no backend and no Qt")
