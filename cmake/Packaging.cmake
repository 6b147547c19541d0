# Release archives through CPack: `cmake --build --preset mingw --target
# package` writes corvane-VERSION-win64.zip (the plug-in, corvane-host.exe,
# corvane-md2.exe, README.txt and the scene file format), the native preset's
# package target corvane-VERSION-linux-x86_64.tar.gz (the same for Linux,
# with the model-file converter and preview modules). VERSION is the version resource's.

install(TARGETS corvane_64 corvane-host corvane-md2 RUNTIME DESTINATION . LIBRARY DESTINATION .)
if(TARGET corvane_host_assimp)
  install(TARGETS corvane_host_assimp LIBRARY DESTINATION .)
endif()
if(TARGET corvane_md2preview_module)
  install(TARGETS corvane_md2preview_module LIBRARY DESTINATION .)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/docs/scene-file.md DESTINATION docs)

set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${CORVANE_RELEASE_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
if(WIN32)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/README-windows.txt DESTINATION . RENAME README.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME corvane-${CORVANE_RELEASE_VERSION}-win64)
else()
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/README-linux.txt DESTINATION . RENAME README.txt)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME corvane-${CORVANE_RELEASE_VERSION}-linux-x86_64)
endif()
include(CPack)
