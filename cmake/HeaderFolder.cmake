# A header-only library of /usr/include, seen through a folder of the build
# that holds only a link to it: the cross compiler then sees that library
# and none of the system's other headers. Sets OUT to the folder, to be
# added as an include directory; VARIABLE (a cache path) may point elsewhere.
#   corvane_header_folder(OUT VARIABLE DEFAULT_DIR HEADER PACKAGE FOLDER LINK)
function(corvane_header_folder out variable default_dir header package folder link)
  set(${variable} ${default_dir} CACHE PATH "The ${link} headers (${package})")
  if(NOT EXISTS ${${variable}}/${header})
    message(FATAL_ERROR "${link} not found in ${${variable}}: install ${package}")
  endif()
  set(path ${CMAKE_BINARY_DIR}/${folder})
  file(MAKE_DIRECTORY ${path})
  file(CREATE_LINK ${${variable}} ${path}/${link} SYMBOLIC)
  set(${out} ${path} PARENT_SCOPE)
endfunction()
