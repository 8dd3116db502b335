# program_for_tests(<target> <variable>): sets <variable> to a command that
# starts the built program <target> as a test starts programs. In a cross
# build the program runs under the emulator, through a small script that the
# test starts like the program itself.
function(program_for_tests target variable)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " emulator)
    set(command ${CMAKE_CURRENT_BINARY_DIR}/${target}-under-emulator)
    file(GENERATE OUTPUT ${command}
      CONTENT "#!/bin/sh\nexec ${emulator} '$<TARGET_FILE:${target}>' \"$@\"\n"
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    set(command $<TARGET_FILE:${target}>)
  endif()
  set(${variable} ${command} PARENT_SCOPE)
endfunction()
