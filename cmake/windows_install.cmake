# The Windows install layout: the programs in bin\ with the sample connection base files
# beside them in samples\. With Qt, windeployqt copies the Qt DLLs and plugins the windows
# load next to tarvex.exe at install time.
install(FILES "${PROJECT_SOURCE_DIR}/samples/kb90/MB connection KB901X.txt"
        DESTINATION samples/kb90)
install(FILES "${PROJECT_SOURCE_DIR}/samples/ite/MB connection IT85XX.txt"
        DESTINATION samples/ite)

if(TARVEX_QT)
  get_target_property(tarvex_qmake Qt6::qmake IMPORTED_LOCATION)
  get_filename_component(tarvex_qt_bin "${tarvex_qmake}" DIRECTORY)
  find_program(TARVEX_WINDEPLOYQT windeployqt HINTS "${tarvex_qt_bin}")
  if(TARVEX_WINDEPLOYQT)
    install(CODE "
      foreach(program tarvex.exe tarvex-demo.exe)
        execute_process(
          COMMAND \"${TARVEX_WINDEPLOYQT}\" --no-translations --no-compiler-runtime
                  \"\${CMAKE_INSTALL_PREFIX}/bin/\${program}\"
          RESULT_VARIABLE deployed)
        if(NOT deployed EQUAL 0)
          message(FATAL_ERROR \"windeployqt failed for \${program}\")
        endif()
      endforeach()")
  else()
    message(WARNING "windeployqt not found: an install will not carry the Qt DLLs")
  endif()
endif()
