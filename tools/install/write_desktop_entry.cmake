# Runs at install time: writes the desktop entry with the full path of the installed executable
# under the prefix of this install (KORVANE_DESKTOP_IN, KORVANE_BINDIR and KORVANE_DATADIR are
# set by the install code before it). A path with characters the entry's Exec key reserves is
# quoted as the desktop entry format asks.
set(bindir "${KORVANE_BINDIR}")
if(NOT IS_ABSOLUTE "${bindir}")
  set(bindir "${CMAKE_INSTALL_PREFIX}/${bindir}")
endif()
set(KORVANE_EXEC "${bindir}/korvane")
if(KORVANE_EXEC MATCHES "[ \t\"'\\$`<>~|&;*?#()]")
  string(REPLACE "\\" "\\\\\\\\" KORVANE_EXEC "${KORVANE_EXEC}")
  string(REPLACE "\"" "\\\\\"" KORVANE_EXEC "${KORVANE_EXEC}")
  string(REPLACE "$" "\\\\$" KORVANE_EXEC "${KORVANE_EXEC}")
  string(REPLACE "`" "\\\\`" KORVANE_EXEC "${KORVANE_EXEC}")
  set(KORVANE_EXEC "\"${KORVANE_EXEC}\"")
endif()
set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${KORVANE_DATADIR}/applications/korvane.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${KORVANE_DESKTOP_IN}" "${entry}" @ONLY)
