# The Windows build's test programs run under Wine through
# tests/windows/run-under-wine, which CTest puts before their command lines
# (also when it lists their cases). They carry their C++ runtime inside
# (-static); what else they load (the backend uses QtCore for the
# session-end filter) Wine finds in the folders run-under-wine is given.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/run-under-wine"
    "--dll-path=${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}:/usr/lib/gcc/x86_64-w64-mingw32/12-posix:/usr/x86_64-w64-mingw32/lib")
set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static")
