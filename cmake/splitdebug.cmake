# Every program and DLL keeps its debug information in a file of its own beside it (name.debug,
# found by debuggers through the binary's debug link). Left inside, Wine reads those sections with
# the image at every start: a process with the store then takes about 10 MB more memory and tens of
# milliseconds more to start. Included before the targets, so that every link does it.
if(CMAKE_BUILD_TYPE MATCHES "Deb" AND CMAKE_OBJCOPY)
  foreach(rule CMAKE_C_LINK_EXECUTABLE CMAKE_CXX_LINK_EXECUTABLE CMAKE_C_CREATE_SHARED_LIBRARY
               CMAKE_CXX_CREATE_SHARED_LIBRARY)
    set(${rule} "${${rule}}"
        "${CMAKE_OBJCOPY} --only-keep-debug <TARGET> <TARGET>.debug"
        "${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=<TARGET>.debug <TARGET>")
  endforeach()
endif()
