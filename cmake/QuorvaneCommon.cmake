# Settings every target of the project shares.
add_library(quorvane_common INTERFACE)
target_compile_features(quorvane_common INTERFACE cxx_std_20)
target_compile_options(quorvane_common INTERFACE
    -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(quorvane_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER
    QT_NO_KEYWORDS)
# Headers are included from the top of the tree ("data/AdoQuery.h").
target_include_directories(quorvane_common INTERFACE ${CMAKE_SOURCE_DIR})
if(QUORVANE_SANITIZE)
    target_compile_options(quorvane_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(quorvane_common INTERFACE -fsanitize=address,undefined)
endif()

set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTOUIC ON)
set(CMAKE_AUTORCC ON)
set(CMAKE_AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR}/resources/forms)

# The offscreen platform's screen: WxH, or WxH@DPR for a device pixel ratio (sizes are
# device-independent pixels). Sets OUT to the platform argument that selects it.
function(quorvane_offscreen_screen SIZE OUT)
    if(NOT SIZE MATCHES "^([0-9]+)x([0-9]+)(@([0-9]+))?$")
        message(FATAL_ERROR "screen size '${SIZE}' is not WxH or WxH@DPR")
    endif()
    set(dpr 1)
    if(CMAKE_MATCH_4)
        set(dpr ${CMAKE_MATCH_4})
    endif()
    set(config ${CMAKE_BINARY_DIR}/tests/screen-${SIZE}.json)
    file(WRITE ${config} "{\"screens\":[{\"name\":\"screen\",\"x\":0,\"y\":0,\"width\":${CMAKE_MATCH_1},\"height\":${CMAKE_MATCH_2},\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":${dpr}}]}\n")
    set(${OUT} "offscreen:configfile=${config}" PARENT_SCOPE)
endfunction()

# add_qt_test(NAME SOURCES... LIBS... [SCREEN WxH[@DPR]] [ENVIRONMENT VAR=VALUE...]):
# one executable and one ctest entry, on the offscreen platform (on a screen of that size
# when SCREEN is given).
# add_qt_test(NAME EXECUTABLE TARGET [SCREEN ...] [ENVIRONMENT ...]): one more ctest entry
# that runs the test executable TARGET, say on another screen.
function(add_qt_test NAME)
    cmake_parse_arguments(T "" "EXECUTABLE;SCREEN" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    set(executable ${T_EXECUTABLE})
    if(NOT executable)
        set(executable ${NAME})
        add_executable(${NAME} ${T_SOURCES})
        target_link_libraries(${NAME} PRIVATE quorvane_common Qt6::Test ${T_LIBS})
        target_include_directories(${NAME} PRIVATE ${CMAKE_BINARY_DIR}/tests ${CMAKE_SOURCE_DIR}/tests)
        set_target_properties(${NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    endif()
    set(platform offscreen)
    if(T_SCREEN)
        quorvane_offscreen_screen(${T_SCREEN} platform)
    endif()
    add_test(NAME ${NAME} COMMAND ${executable})
    set(environment "QT_QPA_PLATFORM=${platform}" "LANG=C.UTF-8" ${T_ENVIRONMENT})
    set_tests_properties(${NAME} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 300)
endfunction()
