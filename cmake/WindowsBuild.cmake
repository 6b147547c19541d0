# From the native build: cross-build the Windows DLL, corvane-host.exe and
# the Windows test program with MinGW-w64, then register their tests so one
# ctest run covers both platforms.
include(ExternalProject)

set(CORVANE_WINDOWS_DIR ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(corvane_windows
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CORVANE_WINDOWS_DIR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
    # The same optimisation as the native build (the demo's leaves out debug information).
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=${CMAKE_C_FLAGS_RELWITHDEBINFO}"
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=${CMAKE_CXX_FLAGS_RELWITHDEBINFO}"
    -DCORVANE_TESTS=${CORVANE_TESTS}
    -DCORVANE_PORTABLE_VECTORS=${CORVANE_PORTABLE_VECTORS}
  # The programs, then the release archive (package/corvane-VERSION-win64.zip).
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR>
        COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target package
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)

set(CORVANE_WINDOWS_DLL ${CORVANE_WINDOWS_DIR}/bin/corvane_64.dlx)

if(CORVANE_TESTS)
  # The binary itself: PE32+ for x86-64, exactly two exports, only system
  # imports, and the version resource.
  add_test(NAME windows_dll_binary
    COMMAND ${CMAKE_COMMAND} -DDLL=${CORVANE_WINDOWS_DLL} -P ${CMAKE_SOURCE_DIR}/tests/windows/check_dll.cmake)
  # Every test of the test program, run under Wine inside Xvfb against the
  # real DLL.
  add_test(NAME windows_tests
    COMMAND ${CMAKE_SOURCE_DIR}/tools/run-windows-tests.sh ${CORVANE_WINDOWS_DIR}/bin/corvane_tests.exe
            --gtest_color=no
    WORKING_DIRECTORY ${CORVANE_WINDOWS_DIR}/bin)
  # Export targets the test program cannot set up under Wine: a symbolic link
  # made on the Linux side, and a folder only the superuser may write in.
  add_test(NAME windows_export_targets
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/export_targets.sh ${CORVANE_WINDOWS_DIR}/bin)
  # Wine programs of one prefix share one virtual desktop, which lives on the
  # display of the first: the two tests take turns.
  set_tests_properties(windows_export_targets PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine)
  # The release archive unpacked into an empty folder: its files, the DLL the
  # tests ran, and each program started from there under Wine.
  add_test(NAME windows_release_archive
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/check_archive.sh ${CORVANE_WINDOWS_DIR}/package
            ${CORVANE_WINDOWS_DLL} ${CMAKE_SOURCE_DIR}/tools/run-wine.sh)
  set_tests_properties(windows_release_archive PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine)
  # Every command the README shows, the Windows ones under Wine.
  add_test(NAME readme_commands
    COMMAND ${CMAKE_SOURCE_DIR}/tests/readme/readme_commands.sh ${CMAKE_SOURCE_DIR}/README.md
            $<TARGET_FILE_DIR:corvane-host> ${CORVANE_WINDOWS_DIR}/bin)
  set_tests_properties(readme_commands PROPERTIES TIMEOUT 600 RESOURCE_LOCK wine)
  # An export onto a full file system (a small tmpfs the superuser mounts).
  add_test(NAME windows_export_full_disk
    COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/export_full_disk.sh ${CORVANE_WINDOWS_DIR}/bin/corvane-host.exe
            ${CORVANE_WINDOWS_DLL} ${CMAKE_SOURCE_DIR}/tools/run-wine.sh)
  set_tests_properties(windows_export_full_disk PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine SKIP_RETURN_CODE 77)
  set_tests_properties(windows_tests PROPERTIES
    TIMEOUT 1800
    RESOURCE_LOCK wine
    ENVIRONMENT "CORVANE_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts/windows")
  # Rigged models converted by the Linux host, exported by the Windows DLL
  # from the saved scene file: the same bytes as the native plug-in's.
  if(CORVANE_HAVE_ASSIMP)
    foreach(model glTF2/simple_skin/simple_skin.gltf X/anim_test.x SMD/WusonSMD.smd
                  FBX/animation_with_skeleton.fbx)
      get_filename_component(stem ${model} NAME_WE)
      add_test(NAME windows_scene_file_${stem}
        COMMAND ${CMAKE_COMMAND} -DHOST=$<TARGET_FILE:corvane-host> -DPLUGIN=$<TARGET_FILE:corvane_64>
                -DWIN_HOST=${CORVANE_WINDOWS_DIR}/bin/corvane-host.exe -DWIN_PLUGIN=${CORVANE_WINDOWS_DLL}
                -DWINE=${CMAKE_SOURCE_DIR}/tools/run-wine.sh -DMODEL=/usr/share/assimp/models/${model}
                -DOUT=${CMAKE_BINARY_DIR}/artifacts/scene-files/${stem}
                -P ${CMAKE_SOURCE_DIR}/tests/windows/scene_file_identity.cmake)
      # One Wine server per prefix: Wine programs run one at a time.
      set_tests_properties(windows_scene_file_${stem} PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine)
    endforeach()
    # A player model folder from the rig the native test writes.
    add_test(NAME windows_player_folder
      COMMAND ${CMAKE_COMMAND} -DTESTS=$<TARGET_FILE:corvane_tests>
              -DWIN_HOST=${CORVANE_WINDOWS_DIR}/bin/corvane-host.exe -DWIN_PLUGIN=${CORVANE_WINDOWS_DLL}
              -DWIN_TOOL=${CORVANE_WINDOWS_DIR}/bin/corvane-md2.exe -DWINE=${CMAKE_SOURCE_DIR}/tools/run-wine.sh
              -DOUT=${CMAKE_BINARY_DIR}/artifacts/player-folder -P ${CMAKE_SOURCE_DIR}/tests/windows/player_folder.cmake)
    set_tests_properties(windows_player_folder PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine)
  endif()
endif()
