# Settings every target of the project shares.
add_library(quorvane_common INTERFACE)
target_compile_features(quorvane_common INTERFACE cxx_std_20)
target_compile_options(quorvane_common INTERFACE -Wall -Wextra)
target_compile_definitions(quorvane_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER
    QT_NO_KEYWORDS)
if(QUORVANE_SANITIZE)
    target_compile_options(quorvane_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(quorvane_common INTERFACE -fsanitize=address,undefined)
endif()

set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTOUIC ON)
set(CMAKE_AUTORCC ON)

# add_qt_test(NAME SOURCES... LIBS ...): one executable and one ctest entry.
function(add_qt_test NAME)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${NAME} ${T_SOURCES})
    target_link_libraries(${NAME} PRIVATE quorvane_common Qt6::Test ${T_LIBS})
    target_include_directories(${NAME} PRIVATE ${CMAKE_BINARY_DIR}/tests ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${NAME} COMMAND ${NAME})
    set_tests_properties(${NAME} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8"
        TIMEOUT 300)
endfunction()
