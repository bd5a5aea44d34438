# Fails when a file of the core includes an interface or network header.
file(GLOB_RECURSE sources "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
foreach(source IN LISTS sources)
    file(STRINGS "${source}" offending REGEX "#include[ \t]*[<\"](QtWidgets|QtGui|QtNetwork|QWidget|QApplication|QGuiApplication|QNetwork)")
    if(offending)
        message(FATAL_ERROR "${source} includes ${offending}")
    endif()
endforeach()
message(STATUS "core includes no interface or network headers")
