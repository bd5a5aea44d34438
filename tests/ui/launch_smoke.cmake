# Starts the program on the demo system the way a picture is taken, and checks that it wrote one.
set(root "${WORK_DIR}/launch-smoke")
file(REMOVE_RECURSE "${root}")
execute_process(COMMAND "${MAKE_SYSTEM}" --demo "${root}/demo" RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "make-system failed: ${status}")
endif()
foreach(arguments IN ITEMS "--language;zh" "--language;en;--by-format;--select;public.jpeg"
                           "--language;ja;--sheet;choose-app" "--language;ko;--sheet;settings")
    set(picture "${root}/shot.png")
    file(REMOVE "${picture}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
                            "${TESSIK}" --system-root "${root}/demo" ${arguments} --screenshot "${picture}"
                    RESULT_VARIABLE status TIMEOUT 60)
    if(NOT status EQUAL 0 OR NOT EXISTS "${picture}")
        message(FATAL_ERROR "tessik ${arguments} --screenshot ended with ${status} and no picture")
    endif()
    file(READ "${picture}" header LIMIT 24 HEX)
    # The PNG header's width and height: 1100 × 680.
    if(NOT header MATCHES "^89504e470d0a1a0a0000000d494844520000044c000002a8")
        message(FATAL_ERROR "tessik ${arguments}: the picture is not the 1100×680 window (${header})")
    endif()
endforeach()
# A picture that cannot be written is an error, said once the program has wound down.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
                        "${TESSIK}" --system-root "${root}/demo" --screenshot "${root}/missing/shot.png"
                RESULT_VARIABLE status ERROR_VARIABLE said TIMEOUT 60)
if(NOT status EQUAL 1 OR NOT said MATCHES "could not write .*missing/shot.png")
    message(FATAL_ERROR "an unwritable picture ended with ${status}: ${said}")
endif()
# On a freedesktop.org desktop: the sandbox make-system writes and selects, with no system root.
set(picture "${root}/desktop.png")
execute_process(COMMAND /bin/sh -c "eval \"$(\"$0\" --xdg-demo \"$1/desktop\")\" && exec \"$2\" --screenshot \"$3\""
                        "${MAKE_SYSTEM}" "${root}" "${TESSIK}" "${picture}"
                RESULT_VARIABLE status TIMEOUT 60 OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 0 OR NOT EXISTS "${picture}")
    message(FATAL_ERROR "tessik on the Linux desktop demo ended with ${status} and no picture")
endif()
execute_process(COMMAND "${TESSIK}" --language pt RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 2)
    message(FATAL_ERROR "an unknown language was not a usage error (${status})")
endif()
