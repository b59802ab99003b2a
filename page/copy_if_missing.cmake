# cmake -DSOURCE=<file> -DDESTINATION=<file> -P copy_if_missing.cmake
# Copies SOURCE to DESTINATION unless DESTINATION exists, so that a file the
# user has changed in the program folder is kept.
if(NOT EXISTS "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
