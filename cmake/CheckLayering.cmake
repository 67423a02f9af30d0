# cmake -DSOURCE_DIR=<src> -P CheckLayering.cmake
# Dependencies point down. Everything under src/ but src/backend/ includes
# neither a backend nor Qt (<Q...>, <qt...>, <q....h>), and a folder includes
# only folders below it in the order of README's "Architecture". A backend
# sits on the platform alone: it includes and links no system code, but for
# the program's main (backend/qt/program/), which wires everything. Fails and
# names each include and link that breaks a rule.
set(order platform rc framework localized settings addressbook console dialogs mainwnd app)

file(GLOB_RECURSE files LIST_DIRECTORIES false
     ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.cc ${SOURCE_DIR}/*.c)
set(found "")
set(checked 0)
foreach(file ${files})
    file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
    # The program's main wires everything together.
    if(rel MATCHES "^backend/qt/program/")
        continue()
    endif()
    string(REGEX MATCH "^[^/]+" own ${rel})
    set(level ${own})
    if(own STREQUAL "backend")
        set(level platform)
    endif()
    list(FIND order ${level} own_rank)
    if(own_rank EQUAL -1)
        string(APPEND found "\n  src/${rel}: its folder is not in the order")
        continue()
    endif()
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${includes})
        if(NOT own STREQUAL "backend" AND
           line MATCHES "#[ \t]*include[ \t]*(\"backend/[^\"]*\"|<Q[^>]*>|<qt[^>]*>|<q[a-z0-9_]*\\.h>)")
            string(APPEND found "\n  src/${rel}: ${CMAKE_MATCH_1}")
        elseif(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/[^\"]*\"")
            list(FIND order ${CMAKE_MATCH_1} rank)
            if(rank GREATER own_rank)
                string(APPEND found "\n  src/${rel}: \"${CMAKE_MATCH_1}/...\" is above ${level}/")
            endif()
        endif()
    endforeach()
endforeach()
# Nor does a backend link system code: only the program does.
file(GLOB_RECURSE lists LIST_DIRECTORIES false ${SOURCE_DIR}/backend/CMakeLists.txt)
foreach(list ${lists})
    file(RELATIVE_PATH rel ${SOURCE_DIR} ${list})
    if(rel MATCHES "^backend/qt/program/")
        continue()
    endif()
    file(READ ${list} content)
    foreach(folder ${order})
        if(NOT folder STREQUAL "platform" AND content MATCHES "[ \t\n(]qv_${folder}[ \t\n)]")
            string(APPEND found "\n  src/${rel}: links qv_${folder}")
        endif()
    endforeach()
endforeach()
if(checked EQUAL 0)
    message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
if(found)
    message(FATAL_ERROR "includes against the layering:${found}")
endif()
message(STATUS "${checked} files include only what is below them")
