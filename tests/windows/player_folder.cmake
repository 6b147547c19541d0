# The Windows host, fed the scene file that the native player export saved,
# must write the same player folder under Wine: tris.md2, weapon.md2 and
# skin.pcx byte for byte; the icon is left out (the preview renderer is
# Linux only) with a note. The Windows corvane-md2 checks the native folder.
#   cmake -DTESTS=corvane_tests -DWIN_HOST=... -DWIN_PLUGIN=... -DWIN_TOOL=...
#         -DWINE=run-wine.sh -DOUT=folder -P player_folder.cmake
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env CORVANE_ARTIFACTS=${OUT}
                        ${TESTS} --gtest_filter=PlayerExport.WritesTheStandardFolder
                RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE printed)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the native player export failed (${status}):\n${printed}")
endif()
set(native ${OUT}/player/players/hero)
set(windows ${OUT}/player/windows/hero)
file(MAKE_DIRECTORY ${OUT}/player/windows)
execute_process(COMMAND ${WINE} ${WIN_HOST} export Z:${WIN_PLUGIN} Z:${OUT}/player/rig.json Z:${windows}
                        --player --map run=sway
                RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE printed)
if(NOT status EQUAL 0 OR NOT printed MATCHES "skin_i.pcx left out")
  message(FATAL_ERROR "Windows player export of the scene file (${status}):\n${printed}")
endif()
foreach(name tris.md2 weapon.md2 skin.pcx)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${native}/${name} ${windows}/${name} RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${windows}/${name} differs from ${native}/${name}")
  endif()
endforeach()
if(EXISTS ${windows}/skin_i.pcx OR NOT EXISTS ${native}/skin_i.pcx)
  message(FATAL_ERROR "the icon: natively written, on Windows left out")
endif()
execute_process(COMMAND ${WINE} ${WIN_TOOL} check --player Z:${native}
                RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE printed)
if(NOT status EQUAL 0 OR NOT printed MATCHES "stand +0- +39 +stand0 .. stand39")
  message(FATAL_ERROR "Windows check --player of the native folder (${status}):\n${printed}")
endif()
message(STATUS "player folder: tris.md2, weapon.md2 and skin.pcx identical on Windows")
