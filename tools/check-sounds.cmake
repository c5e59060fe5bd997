# Run by CTest: the committed sound files are exactly what the generator makes.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${GENERATOR} ${WORK} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "make-sounds failed")
endif()
foreach(sound laser.wav explosion.wav)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${sound} ${RESOURCES}/${sound}
                    RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "resources/${sound} is not what make-sounds makes; run `make sounds`")
    endif()
endforeach()
