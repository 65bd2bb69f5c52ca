# Shared build rules: every folder of src/ is one static library whose sources are the
# .cpp and .h files found in it (sub-folders that are modules of their own are not globbed).

set(PLUMO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Woverloaded-virtual)
set(PLUMO_QT_DEFS QT_NO_KEYWORDS QT_NO_FOREACH QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

function(plumo_strict target)
    target_compile_options(${target} PRIVATE ${PLUMO_WARNINGS})
    target_compile_definitions(${target} PRIVATE ${PLUMO_QT_DEFS})
endfunction()

# plumo_module(NAME DEPS dep...)
function(plumo_module name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        # A module whose classes are still only declared: its dependents see its headers.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
        return()
    endif()
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${name} STATIC ${sources} ${headers})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    plumo_strict(${name})
endfunction()
