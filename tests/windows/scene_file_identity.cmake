# The Windows DLL under Wine, fed the scene file that the Linux host saved
# while converting MODEL, must write the bytes the native plug-in wrote.
#   cmake -DHOST=... -DPLUGIN=... -DWIN_HOST=... -DWIN_PLUGIN=... -DWINE=run-wine.sh
#         -DMODEL=... -DOUT=folder -P scene_file_identity.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${HOST} export ${PLUGIN} ${MODEL} ${OUT}/linux.md2 --save-scene ${OUT}/scene.json
                RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE printed)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "native export of ${MODEL} failed (${status}):\n${printed}")
endif()
execute_process(COMMAND ${WINE} ${WIN_HOST} export Z:${WIN_PLUGIN} Z:${OUT}/scene.json Z:${OUT}/windows.md2
                RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE printed)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Windows export of the scene file failed (${status}):\n${printed}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/linux.md2 ${OUT}/windows.md2 RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "${OUT}/windows.md2 differs from ${OUT}/linux.md2")
endif()
file(SIZE ${OUT}/linux.md2 size)
message(STATUS "${MODEL}: identical, ${size} bytes")
