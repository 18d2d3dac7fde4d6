# add_qt_test(name sources... LIBS libs...): one Qt Test executable as one CTest test.
# Widget tests run on the offscreen platform.
function(add_qt_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "LIBS" ${ARGN})
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE project_options Qt::Test ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;WINE_QTEST=1")
endfunction()

# native_test_path(var path): `path` as the test program sees it; under Wine
# the machine's root is drive Z:.
function(native_test_path var path)
    if(CMAKE_CROSSCOMPILING AND WIN32)
        set(${var} "Z:${path}" PARENT_SCOPE)
    else()
        set(${var} "${path}" PARENT_SCOPE)
    endif()
endfunction()
