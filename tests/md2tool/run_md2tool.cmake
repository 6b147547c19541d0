# Runs the built corvane-md2 (natively, or the .exe through RUNNER, e.g.
# tools/run-wine.sh) on a sample model the reference host writes:
#   cmake -DTOOL=corvane-md2 [-DRUNNER=run-wine.sh] -DHOST=corvane-host -DWORK=dir
#         [-DEXPORT_HOST=corvane-host(.exe) -DPLUGIN=corvane_64.dlx] -P run_md2tool.cmake
# check, glcmds and check again give exit 0; foreign files give exit 1 with
# their message and leave no output file; with EXPORT_HOST, the host's
# export --glcmds (run through RUNNER too) writes a file check finds clean.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${HOST} sample ${WORK} RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "corvane-host sample failed")
endif()
# Wine takes Linux paths through its Z: drive.
set(prefix "")
if(RUNNER)
  set(prefix "Z:")
endif()
file(WRITE ${WORK}/text.md2 "plain text that is long enough for a header of sixty-eight bytes....\n")

set(problems "")
function(run expected_status expected_text)
  execute_process(COMMAND ${RUNNER} ${TOOL} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    string(APPEND problems "${ARGN}: exit ${status}, expected ${expected_status}\n${out}${err}\n")
  endif()
  string(FIND "${out}${err}" "${expected_text}" found)
  if(found EQUAL -1)
    string(APPEND problems "${ARGN}: output lacks \"${expected_text}\"\n${out}${err}\n")
  endif()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

run(0 "usage: corvane-md2" --help)
run(0 "[glcmds-empty]" check ${prefix}${WORK}/crate.md2)
run(0 "GL command words" glcmds ${prefix}${WORK}/crate.md2 -o ${prefix}${WORK}/crate-gl.md2)
run(0 "" check ${prefix}${WORK}/crate-gl.md2)
run(0 "\"findings\": []" check --json ${prefix}${WORK}/crate-gl.md2)
run(1 "not an MD2 file" check ${prefix}${WORK}/text.md2)
run(1 "not an MD2 file" glcmds ${prefix}${WORK}/text.md2 -o ${prefix}${WORK}/never.md2)
run(1 "usage" glcmds)
if(EXISTS ${WORK}/never.md2)
  string(APPEND problems "glcmds left never.md2 behind\n")
endif()
# A name outside the ANSI code page, in place and with -o.
set(named "${WORK}/модель-模型.md2")
file(COPY_FILE ${WORK}/crate.md2 ${named})
run(0 "[glcmds-empty]" check ${prefix}${named})
run(0 "GL command words" glcmds ${prefix}${named})
run(0 "GL command words" glcmds ${prefix}${named} -o ${prefix}${WORK}/копия.md2)
file(READ ${named} renamed HEX)
file(READ ${WORK}/копия.md2 copied HEX)
file(READ ${WORK}/crate-gl.md2 expected HEX)
if(NOT renamed STREQUAL expected OR NOT copied STREQUAL expected)
  string(APPEND problems "glcmds on a Cyrillic and CJK name did not write crate-gl.md2's bytes\n")
endif()
# glTF: the crate with its skin as .glb, as .gltf with the buffer and PNG
# beside it, and with three skins as variants; the Windows program writes
# the native program's bytes.
run(0 "4 frames as morph targets, 1 skins" gltf ${prefix}${WORK}/crate.md2 -o ${prefix}${WORK}/crate.glb)
run(0 "4 frames as morph targets, 1 skins" gltf ${prefix}${WORK}/crate.md2 -o ${prefix}${WORK}/crate.gltf --fps 5)
run(0 "3 skins" gltf ${prefix}${named} -o ${prefix}${WORK}/вариант.glb --skin ${prefix}${WORK}/crate.pcx
    --skin ${prefix}${WORK}/crate.pcx --skin ${prefix}${WORK}/crate.pcx --frames 1-3 --scale 2)
set(gltf_files crate.glb crate.gltf crate.bin crate_skin0.png вариант.glb)
if(NATIVE_TOOL)
  file(MAKE_DIRECTORY ${WORK}/native)
  execute_process(COMMAND ${NATIVE_TOOL} gltf ${WORK}/crate.md2 -o ${WORK}/native/crate.glb)
  execute_process(COMMAND ${NATIVE_TOOL} gltf ${WORK}/crate.md2 -o ${WORK}/native/crate.gltf --fps 5)
  execute_process(COMMAND ${NATIVE_TOOL} gltf ${named} -o ${WORK}/native/вариант.glb --skin ${WORK}/crate.pcx
                  --skin ${WORK}/crate.pcx --skin ${WORK}/crate.pcx --frames 1-3 --scale 2)
  foreach(name IN LISTS gltf_files)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${name} ${WORK}/native/${name}
                    RESULT_VARIABLE differ)
    if(differ)
      string(APPEND problems "gltf: ${name} differs from the native program's\n")
    endif()
  endforeach()
endif()
if(VALIDATOR)
  execute_process(COMMAND node ${VALIDATOR} ${WORK}/crate.glb ${WORK}/crate.gltf ${WORK}/вариант.glb
                  RESULT_VARIABLE invalid OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(invalid)
    string(APPEND problems "the glTF validator finds errors:\n${report}")
  endif()
endif()
# A skin in the Quake 2 palette from a PCX, scaled to fit --max; the same
# bytes from the Windows program.
run(0 "8-bit PCX in the Quake 2 palette, 8x8, scaled down from" skin ${prefix}${WORK}/crate.pcx
    -o ${prefix}${WORK}/crate-q2.pcx --max 8x8)
run(1 "cannot open" skin ${prefix}${WORK}/absent.png -o ${prefix}${WORK}/never.pcx)
if(EXISTS ${WORK}/never.pcx)
  string(APPEND problems "skin left never.pcx behind\n")
endif()
if(NATIVE_TOOL)
  execute_process(COMMAND ${NATIVE_TOOL} skin ${WORK}/crate.pcx -o ${WORK}/native/crate-q2.pcx --max 8x8)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/crate-q2.pcx ${WORK}/native/crate-q2.pcx
                  RESULT_VARIABLE differ)
  if(differ)
    string(APPEND problems "skin: crate-q2.pcx differs from the native program's\n")
  endif()
endif()
if(RUNNER)
  run(1 "OSMesa" preview ${prefix}${WORK}/crate-gl.md2 -o ${prefix}${WORK}/crate.png)
else()
  run(0 "GL command list" preview ${WORK}/crate-gl.md2 -o ${WORK}/crate.png)
endif()
if(EXPORT_HOST)
  execute_process(COMMAND ${RUNNER} ${EXPORT_HOST} export ${prefix}${PLUGIN} demo ${prefix}${WORK}/demo.md2 --glcmds
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT out MATCHES "GL commands: [0-9]+ triangles in")
    string(APPEND problems "export --glcmds: exit ${status}\n${out}${err}\n")
  endif()
  run(0 "" check ${prefix}${WORK}/demo.md2)
endif()
# The GL command list changes nothing the plug-in's reader takes.
execute_process(COMMAND ${RUNNER} ${TOOL} check ${prefix}${WORK}/crate-gl.md2 OUTPUT_VARIABLE findings)
if(NOT findings STREQUAL "")
  string(APPEND problems "the rewritten file has findings: ${findings}\n")
endif()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
message(STATUS "corvane-md2 passed check, glcmds and bad input")
